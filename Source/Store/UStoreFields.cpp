#include "UStoreFields.h"

#include "UDateTime.h"
#include "UTextConst.h"

#include <array>
#include <cstring>

namespace tv {

namespace {

// Sort weights of the 1251 bytes: zero first, then the other non-letters by
// code, then digits, then Latin and Cyrillic letters in alphabet order, both
// cases alike.
const std::array<uint16_t, 256>& LetterWeights()
{
    static const std::array<uint16_t, 256> weights = [] {
        std::array<uint16_t, 256> w{};
        for (int b = 0; b < 256; ++b)
            w[b] = static_cast<uint16_t>(b);
        for (int d = '0'; d <= '9'; ++d)
            w[d] = static_cast<uint16_t>(256 + d);
        // Lower-case letters that have an upper-case partner outside the
        // alphabet run below take the partner's weight.
        const std::pair<uint8_t, uint8_t> pairs[] = {
            {0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
            {0x9E, 0x8E}, {0x9F, 0x8F}, {0xBC, 0xA3}, {0xBE, 0xBD},
        };
        for (auto [lower, upper] : pairs)
            w[lower] = upper;
        uint16_t next = 400;
        for (int c = 'A'; c <= 'Z'; ++c) {
            w[c] = next;
            w[c + 32] = next;
            ++next;
        }
        // Upper case, lower case, in the order of the Russian and Ukrainian alphabets.
        const std::pair<uint8_t, uint8_t> cyrillic[] = {
            {0xC0, 0xE0}, {0xC1, 0xE1}, {0xC2, 0xE2}, {0xC3, 0xE3}, {0xA5, 0xB4},
            {0xC4, 0xE4}, {0xC5, 0xE5}, {0xAA, 0xBA}, {0xA8, 0xB8}, {0xC6, 0xE6},
            {0xC7, 0xE7}, {0xC8, 0xE8}, {0xB2, 0xB3}, {0xAF, 0xBF}, {0xC9, 0xE9},
            {0xCA, 0xEA}, {0xCB, 0xEB}, {0xCC, 0xEC}, {0xCD, 0xED}, {0xCE, 0xEE},
            {0xCF, 0xEF}, {0xD0, 0xF0}, {0xD1, 0xF1}, {0xD2, 0xF2}, {0xD3, 0xF3},
            {0xA1, 0xA2}, {0xD4, 0xF4}, {0xD5, 0xF5}, {0xD6, 0xF6}, {0xD7, 0xF7},
            {0xD8, 0xF8}, {0xD9, 0xF9}, {0xDA, 0xFA}, {0xDB, 0xFB}, {0xDC, 0xFC},
            {0xDD, 0xFD}, {0xDE, 0xFE}, {0xDF, 0xFF},
        };
        for (auto [upper, lower] : cyrillic) {
            w[upper] = next;
            w[lower] = next;
            ++next;
        }
        return w;
    }();
    return weights;
}

std::unique_ptr<TField> NoCreate(int32_t) { return nullptr; }

} // namespace

const TFieldClass& TCompareStringField::ClassInfo()
{
    static const TFieldClass cls =
        TFieldClass::Derived("TCompareStringField", TStringField::ClassInfo(), NoCreate);
    return cls;
}

int32_t TCompareStringField::CompareData(const void* a, const void* b) const
{
    const auto* pa = static_cast<const uint8_t*>(a);
    const auto* pb = static_cast<const uint8_t*>(b);
    const auto& w = LetterWeights();
    for (int32_t i = 0; i < GetWidth(); ++i) {
        if (w[pa[i]] != w[pb[i]])
            return w[pa[i]] < w[pb[i]] ? -1 : 1;
    }
    return 0;
}

const TFieldClass& TShowDateTimeField::ClassInfo()
{
    static const TFieldClass cls =
        TFieldClass::Derived("TShowDateTimeField", TDateTimeField::ClassInfo(), NoCreate);
    return cls;
}

std::string TShowDateTimeField::GetText() const
{
    if (GetValue() == 0.0)
        return std::string();
    return DateTimeToStr(GetValue(), TextTable.LangFormatSettings);
}

std::string TShowDateTimeField::DataToText(const void* data) const
{
    double value;
    std::memcpy(&value, data, sizeof value);
    if (value == 0.0)
        return std::string();
    return DateToStr(value, TextTable.LangFormatSettings);
}

const char* const DirectionTexts[2] = {"-", "+"};

const TFieldClass& TDirectionBooleanField::ClassInfo()
{
    static const TFieldClass cls =
        TFieldClass::Derived("TDirectionBooleanField", TBooleanField::ClassInfo(), NoCreate);
    return cls;
}

std::string TDirectionBooleanField::DataToText(const void* data) const
{
    int32_t value;
    std::memcpy(&value, data, sizeof value);
    return DirectionTexts[value != 0 ? 1 : 0];
}

} // namespace tv
