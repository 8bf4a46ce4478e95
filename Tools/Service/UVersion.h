#pragma once
// Texts of a program file's version block (see UVersionInfo.h: every
// executable of the build carries its product version and copyright line).

#include <string>

namespace tv {

// The product version in the file's version block; "" when the file cannot
// be read, carries no block, or the block has no such text.
std::string GetProductVersion(const std::string& fileName);
// The copyright line, likewise.
std::string GetLegalCopyright(const std::string& fileName);

// "ver=" and the running program's product version with every blank removed.
std::string VersionQuery();

} // namespace tv
