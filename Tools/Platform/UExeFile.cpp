#include "UExeFile.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tv {

namespace {

template <typename T>
bool ReadAt(std::ifstream& in, uint64_t offset, T& out)
{
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(&out), sizeof out);
    return static_cast<bool>(in);
}

bool ReadBytes(std::ifstream& in, uint64_t offset, uint64_t size, std::string& out)
{
    if (size > (uint64_t{1} << 30))
        return false;
    out.resize(size);
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(out.data(), static_cast<std::streamsize>(size));
    return static_cast<bool>(in);
}

struct ElfHeader {
    unsigned char Ident[16];
    uint16_t Type, Machine;
    uint32_t Version;
    uint64_t Entry, PhOff, ShOff;
    uint32_t Flags;
    uint16_t EhSize, PhEntSize, PhNum, ShEntSize, ShNum, ShStrNdx;
};

struct ElfSection {
    uint32_t Name, Type;
    uint64_t Flags, Addr, Offset, Size;
    uint32_t Link, Info;
    uint64_t AddrAlign, EntSize;
};

static_assert(sizeof(ElfHeader) == 64 && sizeof(ElfSection) == 64);

constexpr uint32_t SHT_NOBITS_TYPE = 8;

} // namespace

std::string ExeFileName()
{
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

bool ReadElfSection(const std::string& fileName, const std::string& section, std::string& data)
{
    data.clear();
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return false;
    ElfHeader h{};
    if (!ReadAt(in, 0, h))
        return false;
    if (std::memcmp(h.Ident, "\x7F" "ELF", 4) != 0 || h.Ident[4] != 2 || h.Ident[5] != 1)
        return false;
    if (h.ShEntSize != sizeof(ElfSection) || h.ShStrNdx >= h.ShNum)
        return false;
    ElfSection names{};
    if (!ReadAt(in, h.ShOff + uint64_t{h.ShStrNdx} * h.ShEntSize, names))
        return false;
    std::string table;
    if (!ReadBytes(in, names.Offset, names.Size, table))
        return false;
    for (uint16_t i = 0; i < h.ShNum; ++i) {
        ElfSection s{};
        if (!ReadAt(in, h.ShOff + uint64_t{i} * h.ShEntSize, s))
            return false;
        if (s.Name >= table.size() || std::strcmp(table.c_str() + s.Name, section.c_str()) != 0)
            continue;
        if (s.Type == SHT_NOBITS_TYPE)
            return false;
        return ReadBytes(in, s.Offset, s.Size, data);
    }
    return false;
}

} // namespace tv
