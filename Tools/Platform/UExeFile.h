#pragma once
// The running program's file and the sections of executable files.

#include <string>

namespace tv {

// Full path of the running program's executable file; "" when unknown.
std::string ExeFileName();

// Reads the contents of the named section of a 64-bit little-endian ELF
// file. False when the file cannot be read, is no such ELF file, or has no
// section of that name.
bool ReadElfSection(const std::string& fileName, const std::string& section, std::string& data);

} // namespace tv
