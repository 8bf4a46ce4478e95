#pragma once
// Money values: uint32 hundredths, 0.00 to 42'949'672.95, shown with the
// whole part grouped in threes by apostrophes, a point and two decimals.

#include "UField.h"

namespace tv {

// Type id 5, letter "M"; the first registered field class. An edited text:
// empty gives 0; any parse failure gives the invalid-number message. A
// variant must be varLongWord, else "Тип варианта не является LongWord".
class TMoneyField : public TFixedField<uint32_t, TMoneyField> {
public:
    TMoneyField() : TMoneyField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    // 123456 -> "1'234.56".
    static std::string MoneyToText(uint32_t value);
    // The same text written to out, which holds MoneyTextMax characters;
    // answers its length. No allocation, for loops over many records.
    static constexpr size_t MoneyTextMax = 13;  // "42'949'672.95"
    static size_t MoneyToChars(uint32_t value, char* out);
    // Strict parse of the text form (apostrophes anywhere are ignored, one
    // point, exactly two decimals). Fails with "Неверно задано положительное
    // число с двумя знаками: [text]", or "Слишком большое число: [text]" for a
    // whole part above 42949671.
    static uint32_t TextToMoney(const std::string& text);
    // a * b / 100 rounded half up; EIntOverflow beyond 4294967295.
    static uint32_t MulMoney(uint32_t a, uint32_t b);

    uint32_t GetValue() const { return FValue; }
    // Needs CanEdit.
    void SetValue(uint32_t value) { Assign(value); }

protected:
    explicit TMoneyField(const TFieldClass& cls) : TFixedField(cls) {}

private:
    friend class TFixedField<uint32_t, TMoneyField>;
    static std::string ValueText(uint32_t value) { return MoneyToText(value); }
    static uint32_t EditText(const std::string& text);
    static uint32_t FromVariant(const TVariant& value);
};

} // namespace tv
