#include "UDatFormat.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "UChecked.h"
#include "UCodePage.h"
#include "UField.h"

namespace tv::DatFormat {

const char* const SBadRecordCount = "Неверное количество записей";
const char* const SBadKeyValue = "Неверное очередное значение ключевого поля";

void EncodeHeader(const TDatHeader& h, uint8_t* p)
{
    const int32_t words[8] = {h.Magic,       h.Reserved1,   h.HeaderSize,   h.FieldCount,
                              h.RecordSize,  h.RecordCount, h.DeletedCount, h.Reserved2};
    for (int i = 0; i < 8; ++i)
        PutInt(p + 4 * i, words[i]);
}

TDatHeader DecodeHeader(const uint8_t* p)
{
    TDatHeader h;
    h.Magic = GetInt(p);
    h.Reserved1 = GetInt(p + 4);
    h.HeaderSize = GetInt(p + 8);
    h.FieldCount = GetInt(p + 12);
    h.RecordSize = GetInt(p + 16);
    h.RecordCount = GetInt(p + 20);
    h.DeletedCount = GetInt(p + 24);
    h.Reserved2 = GetInt(p + 28);
    return h;
}

void EncodeDesc(const TFieldDesc& d, uint8_t* p)
{
    PutInt(p, d.TypeId);
    PutInt(p + 4, d.DataSize);
    std::memcpy(p + 8, d.Name, sizeof d.Name);
    PutInt(p + 32, d.NextKeyValue);
}

TFieldDesc DecodeDesc(const uint8_t* p)
{
    TFieldDesc d;
    d.TypeId = GetInt(p);
    d.DataSize = GetInt(p + 4);
    std::memcpy(d.Name, p + 8, sizeof d.Name);
    d.NextKeyValue = GetInt(p + 32);
    return d;
}

void SetDescName(TFieldDesc& d, const std::string& name)
{
    std::string bytes = Utf8ToCp1251(name);
    if (bytes.size() > MaxNameBytes)
        bytes.resize(MaxNameBytes);
    std::memset(d.Name, 0, sizeof d.Name);
    d.Name[0] = static_cast<uint8_t>(bytes.size());
    std::memcpy(d.Name + 1, bytes.data(), bytes.size());
}

std::string DescName(const TFieldDesc& d)
{
    size_t n = std::min<size_t>(d.Name[0], sizeof d.Name - 1);
    return Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(d.Name + 1), n));
}

int32_t HeaderSizeFor(int32_t fieldCount)
{
    return CheckedAdd(HeaderBytes, CheckedMul(DescBytes, fieldCount));
}

int32_t ImageCheck(int32_t target, const uint8_t* data, size_t size)
{
    uint32_t h = 2166136261u;
    auto mix = [&h](uint8_t b) { h = (h ^ b) * 16777619u; };
    for (int i = 0; i < 4; ++i) mix(static_cast<uint8_t>(static_cast<uint32_t>(target) >> (8 * i)));
    for (size_t i = 0; i < size; ++i) mix(data[i]);
    return h == 0 ? 1 : static_cast<int32_t>(h);
}

bool IsNumberedKey(const TField* f)
{
    return f->GetPrimaryKey() && f->TypeId() == 1 && f->DataSize() == 4;
}

} // namespace tv::DatFormat
