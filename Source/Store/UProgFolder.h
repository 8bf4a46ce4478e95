#pragma once
// The program folder: the folder of the running executable, where the
// configuration file, the data and the backups lie.

#include <string>

namespace tv {

// The program folder with a trailing '/'.
std::string ProgramFolder();
// Makes ProgramFolder answer the given folder (tests point the program at a
// temporary folder); the empty text returns to the executable's folder.
void SetProgramFolder(const std::string& folder);

} // namespace tv
