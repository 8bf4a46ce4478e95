#pragma once
// Money values: uint32 hundredths, 0.00 to 42'949'672.95, shown with the
// whole part grouped in threes by apostrophes, a point and two decimals.

#include "UField.h"

namespace tv {

// Type id 5, letter "M"; the first registered field class.
class TMoneyField : public TField {
public:
    TMoneyField() : TMoneyField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    // 123456 -> "1'234.56".
    static std::string MoneyToText(uint32_t value);
    // Strict parse of the text form (apostrophes anywhere are ignored, one
    // point, exactly two decimals). Fails with "Неверно задано положительное
    // число с двумя знаками: [text]", or "Слишком большое число: [text]" for a
    // whole part above 42949671.
    static uint32_t TextToMoney(const std::string& text);
    // a * b / 100 rounded half up; EIntOverflow beyond 4294967295.
    static uint32_t MulMoney(uint32_t a, uint32_t b);

    uint32_t GetValue() const { return FValue; }
    // Needs CanEdit.
    void SetValue(uint32_t value);

    int32_t DataSize() const override { return 4; }
    const void* GetData() override { return &FValue; }
    void SetData(const void* data) override;
    std::string GetText() const override;
    // Empty text gives 0; any parse failure gives the invalid-number message.
    void SetText(const std::string& text) override;
    int32_t CompareData(const void* a, const void* b) const override;
    // Accepts varLongWord only, else "Тип варианта не является LongWord".
    void VariantToData(const TVariant& value, void* dest) const override;
    void TextToData(const std::string& text, void* dest) const override;
    std::string DataToText(const void* data) const override;

protected:
    explicit TMoneyField(const TFieldClass& cls) : TField(cls) {}

private:
    uint32_t FValue = 0;
};

} // namespace tv
