#pragma once
// The field classes of the stock book's tables: how names compare and how
// dates and directions of movements show.

#include <cstdint>
#include <string>

#include "UBaseFld.h"

namespace tv {

// A string field compared case-insensitively over its full width (zero
// padding included) in the user's letters: Latin and Cyrillic 1251 letters
// fold their case, Cyrillic letters sort in alphabet order after Latin ones.
class TCompareStringField : public TStringField {
public:
    explicit TCompareStringField(int32_t n) : TStringField(n, ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    int32_t CompareData(const void* a, const void* b) const override;
};

// A date-time field shown in the current language's formats; 0 is empty.
class TShowDateTimeField : public TDateTimeField {
public:
    TShowDateTimeField() : TDateTimeField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    // The short date, a blank and the long time (no time at midnight).
    std::string GetText() const override;
    // The short date only.
    std::string DataToText(const void* data) const override;
};

// Texts of a movement's direction, index 0 issued and 1 received.
extern const char* const DirectionTexts[2];

// A boolean field shown as "+" (received) or "-" (issued).
class TDirectionBooleanField : public TBooleanField {
public:
    TDirectionBooleanField() : TBooleanField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    std::string DataToText(const void* data) const override;
};

} // namespace tv
