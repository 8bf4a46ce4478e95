#pragma once
// Whole-file reading and crash-safe whole-file writing.

#include <string>

namespace tv {

// Reads the whole file into data. False when the file cannot be opened or
// read; data is then empty.
bool ReadWholeFile(const std::string& fileName, std::string& data);

// Replaces the file with data: the bytes go to a temporary file in the same
// folder, are flushed to the disk, and the temporary file is renamed over
// the old one, so that after a crash the file holds either its old or its
// new content. False (and the old file untouched) when any step fails or
// the file exists but is read-only (no write permission for anyone, or none
// for the caller); errno then tells why.
bool WriteFileAtomic(const std::string& fileName, const std::string& data);

} // namespace tv
