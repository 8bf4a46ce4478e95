#pragma once
// A tagged value used for key searches. The type codes are those the data
// fields test: each field accepts exactly one kind.

#include <cstdint>
#include <string>

namespace tv {

enum : uint16_t {
    varEmpty = 0,
    varSmallint = 2,
    varInteger = 3,
    varDouble = 5,
    varDate = 7,
    varOleStr = 8,
    varBoolean = 11,
    varLongWord = 19,
    varString = 256,
    varByRef = 0x4000,
};

class TVariant {
public:
    TVariant() = default;  // varEmpty
    TVariant(int32_t value) : FVarType(varInteger), FInt(value) {}
    TVariant(uint32_t value) : FVarType(varLongWord), FInt(value) {}
    TVariant(bool value) : FVarType(varBoolean), FInt(value ? 1 : 0) {}
    // An 8-bit string; the text is UTF-8.
    TVariant(const char* text) : FVarType(varString), FStr(text) {}
    TVariant(const std::string& text) : FVarType(varString), FStr(text) {}

    static TVariant Smallint(int16_t value);
    static TVariant Double(double value);
    static TVariant DateTime(double value);
    // A wide string; the text is UTF-8.
    static TVariant WideString(const std::string& text);
    // The same value marked as held by reference (varByRef set).
    static TVariant ByRef(const TVariant& value);

    // The full type code, varByRef included.
    uint16_t VarType() const { return FVarType; }

    // Raw accessors; they do not check the type.
    int32_t AsInteger() const { return static_cast<int32_t>(FInt); }
    uint32_t AsLongWord() const { return static_cast<uint32_t>(FInt); }
    bool AsBoolean() const { return FInt != 0; }
    double AsDouble() const { return FDouble; }
    const std::string& AsString() const { return FStr; }

private:
    uint16_t FVarType = varEmpty;
    int64_t FInt = 0;
    double FDouble = 0;
    std::string FStr;
};

} // namespace tv
