#include "UBaseFld.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "UCodePage.h"
#include "UException.h"

namespace tv {

const char* const BoolTexts[2] = {"False", "True"};
const char* const BoolDataTexts[2] = {"False", "True"};

namespace {

template <typename T>
int32_t Compare(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Optional sign and decimal digits, within the int32 range.
bool TryParseInt32(const std::string& text, int32_t& result)
{
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    if (pos == text.size()) return false;
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return false;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return false;
    result = static_cast<int32_t>(value);
    return true;
}

int32_t ParseIntegerText(const std::string& text)
{
    if (text.empty()) return 0;
    int32_t value;
    if (!TryParseInt32(text, value)) throw Exception("Неверно задано целое число: " + text);
    return value;
}

int32_t BoolFromText(const std::string& text)
{
    return AnsiUpperCase(text) == "TRUE" ? -1 : 0;
}

TDateTime ParseDateText(const std::string& text)
{
    TDateTime value;
    if (!TryStrToDateTime(text, value)) throw Exception("Неверно задана дата(время): " + text);
    return value;
}

std::string DateText(TDateTime value)
{
    return value == 0 ? std::string() : DateTimeToStr(value);
}

} // namespace

// Integer

const TFieldClass& TIntegerField::ClassInfo()
{
    static const TFieldClass cls{"TIntegerField", &TField::ClassInfo(), 1, 'I',
                                 [](int32_t) -> std::unique_ptr<TField> {
                                     return std::make_unique<TIntegerField>();
                                 }};
    return cls;
}

void TIntegerField::ApplyKeyValue()
{
    FValue = GetNextKeyValue();
}

std::string TIntegerField::ValueText(int32_t value)
{
    return std::to_string(value);
}

int32_t TIntegerField::EditText(const std::string& text)
{
    return ParseIntegerText(text);
}

int32_t TIntegerField::FromVariant(const TVariant& value)
{
    if (value.VarType() != varInteger) throw Exception("Тип варианта не является Integer");
    return value.AsInteger();
}

// String

const TFieldClass& TStringField::ClassInfo()
{
    static const TFieldClass cls{"TStringField", &TField::ClassInfo(), 2, 'S',
                                 [](int32_t size) -> std::unique_ptr<TField> {
                                     return std::make_unique<TStringField>(size);
                                 }};
    return cls;
}

TStringField::TStringField(int32_t n, const TFieldClass& cls) : TField(cls), FWidth(n)
{
    TV_ASSERT(n >= 0, "Negative string field width");
    FBuffer.resize(static_cast<size_t>(n));
}

const void* TStringField::GetData()
{
    if (FWidth > 0) {
        std::memcpy(FBuffer.data(), FValue.data(), FValue.size());
        std::memset(FBuffer.data() + FValue.size(), 0, FBuffer.size() - FValue.size());
    }
    return FBuffer.data();
}

void TStringField::SetData(const void* data) { FValue.assign(DataValue(data)); }

std::string TStringField::GetText() const
{
    return Cp1251ToOneLine(FValue);
}

void TStringField::SetText(const std::string& text)
{
    CheckEditable();
    // The text the field shows stands for the bytes it holds, also those
    // shown as blanks.
    if (Cp1251ShowsAs(FValue, text))
        return;
    FValue = TextToCp1251Line(text, static_cast<size_t>(FWidth));
}

int32_t TStringField::CompareData(const void* a, const void* b) const
{
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    for (int32_t i = 0; i < FWidth; ++i) {
        if (pa[i] != pb[i]) return pa[i] < pb[i] ? -1 : 1;
        if (pb[i] == 0) return 0;
    }
    return 0;
}

void TStringField::VariantToData(const TVariant& value, void* dest) const
{
    if (value.VarType() != varString) throw Exception("Тип варианта не является String");
    if (FWidth == 0) return;
    const std::string bytes = TextToCp1251Line(value.AsString(), static_cast<size_t>(FWidth));
    const size_t n = std::min(bytes.size(), static_cast<size_t>(FWidth));
    std::memset(dest, 0, static_cast<size_t>(FWidth));
    std::memcpy(dest, bytes.data(), n);
}

void TStringField::TextToData(const std::string& text, void* dest) const
{
    VariantToData(TVariant(text), dest);
}

std::string TStringField::DataToText(const void* data) const { return Cp1251ToOneLine(DataValue(data)); }

// Boolean

const TFieldClass& TBooleanField::ClassInfo()
{
    static const TFieldClass cls{"TBooleanField", &TField::ClassInfo(), 3, 'L',
                                 [](int32_t) -> std::unique_ptr<TField> {
                                     return std::make_unique<TBooleanField>();
                                 }};
    return cls;
}

std::string TBooleanField::ValueText(int32_t value)
{
    return BoolTexts[value != 0 ? 1 : 0];
}

std::string TBooleanField::DataText(int32_t value)
{
    return BoolDataTexts[value != 0 ? 1 : 0];
}

int32_t TBooleanField::EditText(const std::string& text)
{
    return BoolFromText(text);
}

int32_t TBooleanField::FromVariant(const TVariant& value)
{
    if (value.VarType() != varBoolean) throw Exception("Тип варианта не является Boolean");
    return value.AsBoolean() ? 1 : 0;
}

int32_t TBooleanField::CompareValues(int32_t a, int32_t b)
{
    return Compare(a != 0, b != 0);
}

// Date-time

const TFieldClass& TDateTimeField::ClassInfo()
{
    static const TFieldClass cls{"TDateTimeField", &TField::ClassInfo(), 4, 'D',
                                 [](int32_t) -> std::unique_ptr<TField> {
                                     return std::make_unique<TDateTimeField>();
                                 }};
    return cls;
}

std::string TDateTimeField::ValueText(TDateTime value)
{
    return DateText(value);
}

TDateTime TDateTimeField::EditText(const std::string& text)
{
    return text.empty() ? 0 : ParseDateText(text);
}

TDateTime TDateTimeField::DataFromText(const std::string& text)
{
    return ParseDateText(text);
}

TDateTime TDateTimeField::FromVariant(const TVariant& value)
{
    if (value.VarType() != varDate) throw Exception("Тип варианта не является TDateTime");
    return value.AsDouble();
}

} // namespace tv
