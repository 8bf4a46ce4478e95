#include "UCfgParams.h"

#include "UException.h"

namespace tv {

bool TryHexToCardinal(const std::string& text, uint32_t& value)
{
    value = 0;
    if (text.empty())
        return false;
    uint64_t n = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        if (n > (uint64_t{INT64_MAX} >> 4))
            return false;
        n = (n << 4) | static_cast<uint64_t>(d);
    }
    value = static_cast<uint32_t>(n);
    return true;
}

std::string CardinalToHex(uint32_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        out[static_cast<size_t>(i)] = digits[value & 15];
    return out;
}

std::vector<uint8_t> CardinalToRegBytes(uint32_t value)
{
    const auto n = static_cast<uint64_t>(int64_t{value} * 10000);
    std::vector<uint8_t> out(8);
    for (size_t i = 0; i < 8; ++i)
        out[i] = static_cast<uint8_t>((n >> (8 * i)) & 0xFF);
    return out;
}

uint32_t RegBytesToCardinal(const std::vector<uint8_t>& bytes)
{
    uint64_t u = 0;
    for (size_t i = 0; i < 8 && i < bytes.size(); ++i)
        u |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    const auto v = static_cast<int64_t>(u);
    int64_t q = v / 10000;
    const int64_t r = v % 10000;
    const int64_t twice = (r < 0 ? -r : r) * 2;
    const int64_t step = v < 0 ? -1 : 1;
    if (twice > 10000 || (twice == 10000 && (q & 1) != 0))
        q += step;
    return static_cast<uint32_t>(static_cast<uint64_t>(q));
}

// TCardinalParam

TCardinalParam::TCardinalParam(TCfgOptions* owner, std::string scName, std::string prName)
    : TParam(owner, std::move(scName), std::move(prName))
{
    FReader = std::make_unique<ICfgCardinalReader>(this);
}

uint32_t TCardinalParam::GetValue()
{
    std::lock_guard guard(OwnerLock());
    Load();
    return FValue;
}

void TCardinalParam::SetValue(uint32_t value)
{
    std::lock_guard guard(OwnerLock());
    FValue = value;
    Save();
}

void TCardinalParam::ReadCardinalIni(const TIniFile& ini)
{
    const std::string text = ini.ReadString(FScName, FPrName, "0");
    uint32_t value;
    if (!TryHexToCardinal(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    FValue = value;
}

void TCardinalParam::WriteCardinalIni(TIniFile& ini)
{
    ini.WriteString(FScName, FPrName, CardinalToHex(FValue));
}

void TCardinalParam::ReadCardinalReg(TRegistry& reg)
{
    if (reg.GetDataType(FPrName) != TRegDataType::rdBinary || reg.GetDataSize(FPrName) != 8)
        throw ERegistryException("Invalid data type for '" + FPrName + "'");
    FValue = RegBytesToCardinal(reg.ReadBinaryData(FPrName));
}

void TCardinalParam::WriteCardinalReg(TRegistry& reg)
{
    reg.WriteBinaryData(FPrName, CardinalToRegBytes(FValue));
}

// TStringParam

TStringParam::TStringParam(TCfgOptions* owner, std::string scName, std::string prName)
    : TParam(owner, std::move(scName), std::move(prName))
{
    FReader = std::make_unique<ICfgStringReader>(this);
}

std::string TStringParam::GetValue()
{
    std::lock_guard guard(OwnerLock());
    Load();
    return FValue;
}

void TStringParam::SetValue(const std::string& value)
{
    std::lock_guard guard(OwnerLock());
    FValue = value;
    Save();
}

void TStringParam::ReadStringIni(const TIniFile& ini)
{
    FValue = ini.ReadString(FScName, FPrName, "");
}

void TStringParam::WriteStringIni(TIniFile& ini)
{
    ini.WriteString(FScName, FPrName, FValue);
}

void TStringParam::ReadStringReg(TRegistry& reg)
{
    FValue = reg.ReadString(FPrName);
}

void TStringParam::WriteStringReg(TRegistry& reg)
{
    reg.WriteString(FPrName, FValue);
}

// Registry parameters

TRegCardinalParam::TRegCardinalParam(TCfgOptions* owner, std::string scName, std::string prName)
    : TCardinalParam(owner, std::move(scName), std::move(prName))
{
    TV_ASSERT(FReader, "Not assigned FReader field");
    FReader.reset();
    FReader = std::make_unique<IRegCardinalReader>(this);
}

TRegStringParam::TRegStringParam(TCfgOptions* owner, std::string scName, std::string prName)
    : TStringParam(owner, std::move(scName), std::move(prName))
{
    TV_ASSERT(FReader, "Not assigned FReader field");
    FReader.reset();
    FReader = std::make_unique<IRegStringReader>(this);
}

// Readers

ICfgCardinalReader::ICfgCardinalReader(TCardinalParam* param) : ICfgReader(param)
{
    TV_ASSERT(param, "Not Assigned parent param");
}

void ICfgCardinalReader::ReadIni(const TIniFile& ini)
{
    static_cast<TCardinalParam*>(FParam)->ReadCardinalIni(ini);
}

void ICfgCardinalReader::WriteIni(TIniFile& ini)
{
    static_cast<TCardinalParam*>(FParam)->WriteCardinalIni(ini);
}

IRegCardinalReader::IRegCardinalReader(TCardinalParam* param) : IRegReader(param)
{
    TV_ASSERT(param, "Not assigned parent param");
}

void IRegCardinalReader::ReadIni(const TIniFile& ini)
{
    static_cast<TCardinalParam*>(FParam)->ReadCardinalIni(ini);
}

void IRegCardinalReader::WriteIni(TIniFile& ini)
{
    static_cast<TCardinalParam*>(FParam)->WriteCardinalIni(ini);
}

void IRegCardinalReader::ReadReg(TRegistry& reg)
{
    static_cast<TCardinalParam*>(FParam)->ReadCardinalReg(reg);
}

void IRegCardinalReader::WriteReg(TRegistry& reg)
{
    static_cast<TCardinalParam*>(FParam)->WriteCardinalReg(reg);
}

ICfgStringReader::ICfgStringReader(TStringParam* param) : ICfgReader(param)
{
    TV_ASSERT(param, "Not Assigned parent param");
}

void ICfgStringReader::ReadIni(const TIniFile& ini)
{
    static_cast<TStringParam*>(FParam)->ReadStringIni(ini);
}

void ICfgStringReader::WriteIni(TIniFile& ini)
{
    static_cast<TStringParam*>(FParam)->WriteStringIni(ini);
}

IRegStringReader::IRegStringReader(TStringParam* param) : IRegReader(param)
{
    TV_ASSERT(param, "Not assigned parent param");
}

void IRegStringReader::ReadIni(const TIniFile& ini)
{
    static_cast<TStringParam*>(FParam)->ReadStringIni(ini);
}

void IRegStringReader::WriteIni(TIniFile& ini)
{
    static_cast<TStringParam*>(FParam)->WriteStringIni(ini);
}

void IRegStringReader::ReadReg(TRegistry& reg)
{
    static_cast<TStringParam*>(FParam)->ReadStringReg(reg);
}

void IRegStringReader::WriteReg(TRegistry& reg)
{
    static_cast<TStringParam*>(FParam)->WriteStringReg(reg);
}

} // namespace tv
