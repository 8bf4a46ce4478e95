#include "UVersion.h"

#include "UExeFile.h"
#include "UVersionInfo.h"

namespace tv {

namespace {

// The value of name in a block of zero-terminated name and value texts.
std::string VersionString(const std::string& fileName, const std::string& name)
{
    std::string block;
    if (!ReadElfSection(fileName, TV_VERSION_SECTION, block))
        return "";
    size_t pos = 0;
    while (pos < block.size()) {
        const size_t nameEnd = block.find('\0', pos);
        if (nameEnd == std::string::npos || nameEnd == pos)
            break;
        const size_t valueEnd = block.find('\0', nameEnd + 1);
        if (valueEnd == std::string::npos)
            break;
        if (block.compare(pos, nameEnd - pos, name) == 0)
            return block.substr(nameEnd + 1, valueEnd - nameEnd - 1);
        pos = valueEnd + 1;
    }
    return "";
}

} // namespace

std::string GetProductVersion(const std::string& fileName)
{
    return VersionString(fileName, "ProductVersion");
}

std::string GetLegalCopyright(const std::string& fileName)
{
    return VersionString(fileName, "LegalCopyright");
}

std::string VersionQuery()
{
    std::string version = GetProductVersion(ExeFileName());
    std::erase(version, ' ');
    return "ver=" + version;
}

} // namespace tv
