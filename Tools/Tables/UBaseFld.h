#pragma once
// The basic field types: integer, string, boolean and date-time.

#include "UDateTime.h"
#include "UField.h"

namespace tv {

// int32 value; type id 1, letter "I"; the only type that takes key values.
class TIntegerField : public TField {
public:
    TIntegerField() : TIntegerField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    int32_t GetValue() const { return FValue; }
    // Needs CanEdit.
    void SetValue(int32_t value);

    int32_t DataSize() const override { return 4; }
    const void* GetData() override { return &FValue; }
    void SetData(const void* data) override;
    std::string GetText() const override;
    // Empty text gives 0; else a decimal int32 with an optional sign, else
    // "Неверно задано целое число: " + text.
    void SetText(const std::string& text) override;
    void ApplyKeyValue() override;
    int32_t CompareData(const void* a, const void* b) const override;
    // Accepts varInteger only, else "Тип варианта не является Integer".
    void VariantToData(const TVariant& value, void* dest) const override;
    void TextToData(const std::string& text, void* dest) const override;
    std::string DataToText(const void* data) const override;

protected:
    explicit TIntegerField(const TFieldClass& cls) : TField(cls) {}

private:
    int32_t FValue = 0;
};

// Fixed width of n 1251 characters, zero-padded in the record. The text is
// UTF-8 outside and 1251 inside; a character 1251 cannot hold becomes "?".
// Type id 2, letter "S".
class TStringField : public TField {
public:
    // Width n >= 0.
    explicit TStringField(int32_t n) : TStringField(n, ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    int32_t GetWidth() const { return FWidth; }

    int32_t DataSize() const override { return FWidth; }
    const void* GetData() override;
    // Takes the bytes up to the first zero byte, at most n.
    void SetData(const void* data) override;
    std::string GetText() const override;
    // The value becomes the text cut to n characters; needs CanEdit.
    void SetText(const std::string& text) override;
    // Byte-wise unsigned, case-sensitive, ends after the first zero byte of b.
    int32_t CompareData(const void* a, const void* b) const override;
    // Accepts varString only, else "Тип варианта не является String".
    void VariantToData(const TVariant& value, void* dest) const override;
    void TextToData(const std::string& text, void* dest) const override;
    std::string DataToText(const void* data) const override;

protected:
    TStringField(int32_t n, const TFieldClass& cls);

private:
    int32_t FWidth;
    std::string FValue;  // 1251 bytes, never longer than FWidth
    std::vector<char> FBuffer;
};

// int32 value, 0 false, -1 true as written, any non-zero reads true.
// Type id 3, letter "L".
class TBooleanField : public TField {
public:
    TBooleanField() : TBooleanField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    bool GetValue() const { return FValue != 0; }
    // Stores -1 or 0; needs CanEdit.
    void SetValue(bool value);

    int32_t DataSize() const override { return 4; }
    const void* GetData() override { return &FValue; }
    void SetData(const void* data) override;
    // "True" or "False".
    std::string GetText() const override;
    // True exactly when the upper-cased text is "TRUE"; needs CanEdit.
    void SetText(const std::string& text) override;
    int32_t CompareData(const void* a, const void* b) const override;
    // Accepts varBoolean only, else "Тип варианта не является Boolean";
    // writes 1 or 0.
    void VariantToData(const TVariant& value, void* dest) const override;
    void TextToData(const std::string& text, void* dest) const override;
    std::string DataToText(const void* data) const override;

protected:
    explicit TBooleanField(const TFieldClass& cls) : TField(cls) {}

private:
    int32_t FValue = 0;
};

// Date-time value, 0 meaning no date. Type id 4, letter "D".
class TDateTimeField : public TField {
public:
    TDateTimeField() : TDateTimeField(ClassInfo()) {}
    static const TFieldClass& ClassInfo();

    TDateTime GetValue() const { return FValue; }
    // Needs CanEdit.
    void SetValue(TDateTime value);

    int32_t DataSize() const override { return 8; }
    const void* GetData() override { return &FValue; }
    void SetData(const void* data) override;
    // Empty for 0, else the short date, then the long time unless it is 0:00:00.
    std::string GetText() const override;
    // Empty text gives 0; else a date and optional time in the current
    // format, else "Неверно задана дата(время): " + text. Needs CanEdit.
    void SetText(const std::string& text) override;
    int32_t CompareData(const void* a, const void* b) const override;
    // Accepts varDate only, else "Тип варианта не является TDateTime".
    void VariantToData(const TVariant& value, void* dest) const override;
    // As SetText, but the empty text fails too.
    void TextToData(const std::string& text, void* dest) const override;
    std::string DataToText(const void* data) const override;

protected:
    explicit TDateTimeField(const TFieldClass& cls) : TField(cls) {}

private:
    TDateTime FValue = 0;
};

// Texts of the boolean values, index 0 false and 1 true.
extern const char* const BoolTexts[2];
extern const char* const BoolDataTexts[2];

} // namespace tv
