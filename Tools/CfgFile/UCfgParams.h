#pragma once
// The four kinds of configuration parameter and their readers.
//
// Numbers are stored in the INI file as exactly 8 upper-case hexadecimal
// digits and read back as a hexadecimal number of at most signed 64-bit
// size (no sign, prefix or blanks; lower-case digits accepted) whose low
// 32 bits are the value. In the registry a number is an 8-byte binary value:
// the number times 10000 as a little-endian signed 64-bit integer. Texts are
// stored unchanged, in the registry as string values.

#include <cstdint>
#include <string>
#include <vector>

#include "UBaseOptions.h"

namespace tv {

// The value of a hexadecimal text as the INI file stores numbers; false for
// any other text, the empty text included.
bool TryHexToCardinal(const std::string& text, uint32_t& value);
// The 8-digit upper-case text of a number.
std::string CardinalToHex(uint32_t value);

// The registry's 8-byte form of a number and back; the reading divides by
// 10000 rounding half to even and keeps the low 32 bits.
std::vector<uint8_t> CardinalToRegBytes(uint32_t value);
uint32_t RegBytesToCardinal(const std::vector<uint8_t>& bytes);

class TCardinalParam : public TParam {
public:
    TCardinalParam(TCfgOptions* owner, std::string scName, std::string prName);

    bool IsEmpty() const override { return FValue == 0; }
    void Clear() override { FValue = 0; }

    uint32_t GetValue();
    void SetValue(uint32_t value);

    // Reader routines; they raise on a value that cannot be read.
    void ReadCardinalIni(const TIniFile& ini);
    void WriteCardinalIni(TIniFile& ini);
    void ReadCardinalReg(TRegistry& reg);
    void WriteCardinalReg(TRegistry& reg);

private:
    uint32_t FValue = 0;
};

class TStringParam : public TParam {
public:
    TStringParam(TCfgOptions* owner, std::string scName, std::string prName);

    bool IsEmpty() const override { return FValue.empty(); }
    void Clear() override { FValue.clear(); }

    std::string GetValue();
    void SetValue(const std::string& value);

    void ReadStringIni(const TIniFile& ini);
    void WriteStringIni(TIniFile& ini);
    void ReadStringReg(TRegistry& reg);
    void WriteStringReg(TRegistry& reg);

private:
    std::string FValue;
};

// A number with the registry fallback of its store.
class TRegCardinalParam : public TCardinalParam {
public:
    TRegCardinalParam(TCfgOptions* owner, std::string scName, std::string prName);
};

// A text with the registry fallback of its store.
class TRegStringParam : public TStringParam {
public:
    TRegStringParam(TCfgOptions* owner, std::string scName, std::string prName);
};

class ICfgCardinalReader : public ICfgReader {
public:
    explicit ICfgCardinalReader(TCardinalParam* param);
    void ReadIni(const TIniFile& ini) override;
    void WriteIni(TIniFile& ini) override;
};

class IRegCardinalReader : public IRegReader {
public:
    explicit IRegCardinalReader(TCardinalParam* param);
    void ReadIni(const TIniFile& ini) override;
    void WriteIni(TIniFile& ini) override;
    void ReadReg(TRegistry& reg) override;
    void WriteReg(TRegistry& reg) override;
};

class ICfgStringReader : public ICfgReader {
public:
    explicit ICfgStringReader(TStringParam* param);
    void ReadIni(const TIniFile& ini) override;
    void WriteIni(TIniFile& ini) override;
};

class IRegStringReader : public IRegReader {
public:
    explicit IRegStringReader(TStringParam* param);
    void ReadIni(const TIniFile& ini) override;
    void WriteIni(TIniFile& ini) override;
    void ReadReg(TRegistry& reg) override;
    void WriteReg(TRegistry& reg) override;
};

} // namespace tv
