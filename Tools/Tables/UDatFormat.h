#pragma once
// The layout of a data file: a 32-byte header, one 36-byte descriptor per
// field, then fixed-size records, each with an 8-byte prefix (status 0
// live, -1 deleted; a reserved word). All numbers are little-endian int32.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tv {

class TField;

struct TDatHeader {
    int32_t Magic = 0;         // "WrDt"
    int32_t Reserved1 = 0;
    int32_t HeaderSize = 0;    // 32 + 36 * FieldCount
    int32_t FieldCount = 0;
    int32_t RecordSize = 0;    // 8 + the fields' data sizes
    int32_t RecordCount = 0;   // live and deleted
    int32_t DeletedCount = 0;
    int32_t Reserved2 = 0;
};

struct TFieldDesc {
    int32_t TypeId = 0;
    int32_t DataSize = 0;
    uint8_t Name[24] = {};     // length byte, then code page 1251 characters
    int32_t NextKeyValue = 0;  // above 0 only for the primary key
};

namespace DatFormat {

constexpr int32_t Magic = 0x74447257;  // "WrDt"
constexpr int32_t HeaderBytes = 32;
constexpr int32_t DescBytes = 36;
constexpr int32_t PrefixBytes = 8;
// A write inside one sector reaches the disk whole or not at all.
constexpr int32_t SectorBytes = 512;
// Of a descriptor's name, in code page 1251.
constexpr int32_t MaxNameBytes = 20;
// Records of a group appended at once.
constexpr int32_t MaxGroupRecords = 1024;
// Records past the counted ones that a cut import may leave: a group and
// the one before it, whose count had not yet reached the disk.
constexpr int32_t MaxTailRecords = 2 * MaxGroupRecords;

// Texts of a file that counts records or keys no change writes.
extern const char* const SBadRecordCount;
extern const char* const SBadKeyValue;

// Little-endian int32 at p; inline, as the scan reads them per record.
inline void PutInt(uint8_t* p, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
    p[2] = static_cast<uint8_t>(u >> 16);
    p[3] = static_cast<uint8_t>(u >> 24);
}

inline int32_t GetInt(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
// HeaderBytes at p.
void EncodeHeader(const TDatHeader& h, uint8_t* p);
TDatHeader DecodeHeader(const uint8_t* p);
// DescBytes at p.
void EncodeDesc(const TFieldDesc& d, uint8_t* p);
TFieldDesc DecodeDesc(const uint8_t* p);
// The name in UTF-8, cut to MaxNameBytes of code page 1251.
void SetDescName(TFieldDesc& d, const std::string& name);
std::string DescName(const TFieldDesc& d);
// Header and descriptors; raises when that overflows.
int32_t HeaderSizeFor(int32_t fieldCount);
// Check word of a rewrite image: never 0, so that an image is never mistaken
// for a live record, and a partly written image fails it.
int32_t ImageCheck(int32_t target, const uint8_t* data, size_t size);
// A key the engine numbers itself: an integer primary key.
bool IsNumberedKey(const TField* f);

} // namespace DatFormat

} // namespace tv
