#pragma once
// The files the setup program carries inside its own executable, one ELF
// section each, named after the type and name of the file (".tv_res.EXEFILE.
// PROGRAM"); the build puts them there. Sections that the loader does not map
// cost no memory: they are read from the file when they are written out.

#include <string>

namespace tv {

std::string CarriedSection(const std::string& type, const std::string& name);

// Reads the carried file from the running program's own executable. False
// when it carries none of that type and name.
bool ReadCarriedFile(const std::string& type, const std::string& name, std::string& data);

// Replaces the file with data atomically (the old file stays whole until the
// new one is complete). A new file gets the mode rwxr-xr-x, as far as the
// user's file-creation mask allows, when executable is set; an existing one
// keeps its mode. False when the file could not be written; a file made for
// the attempt is then removed, and errno tells why.
bool WriteInstalledFile(const std::string& fileName, const std::string& data, bool executable);

} // namespace tv
