#include "UMoneyFld.h"

#include <cstring>

#include "UChecked.h"
#include "UException.h"

namespace tv {

namespace {

const char kInvalidMoney[] = "Неверно задано положительное число с двумя знаками: ";

[[noreturn]] void InvalidMoney(const std::string& text)
{
    throw Exception(kInvalidMoney + ("[" + text + "]"));
}

uint32_t ParseMoneyText(const std::string& text)
{
    if (text.empty()) return 0;
    try {
        return TMoneyField::TextToMoney(text);
    } catch (const Exception&) {
        InvalidMoney(text);
    }
}

} // namespace

const TFieldClass& TMoneyField::ClassInfo()
{
    static const TFieldClass cls{"TMoneyField", &TField::ClassInfo(), 5, 'M',
                                 [](int32_t) -> std::unique_ptr<TField> {
                                     return std::make_unique<TMoneyField>();
                                 }};
    return cls;
}

std::string TMoneyField::MoneyToText(uint32_t value)
{
    char text[MoneyTextMax];
    return std::string(text, MoneyToChars(value, text));
}

size_t TMoneyField::MoneyToChars(uint32_t value, char* out)
{
    // Written from the end: two decimals, the point, then the whole part
    // with an apostrophe before every third digit.
    char text[MoneyTextMax];
    char* p = text + MoneyTextMax;
    *--p = static_cast<char>('0' + value % 10);
    *--p = static_cast<char>('0' + value / 10 % 10);
    *--p = '.';
    uint32_t whole = value / 100;
    for (int digits = 0;; ++digits) {
        if (digits > 0 && digits % 3 == 0) *--p = '\'';
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
        if (whole == 0) break;
    }
    const size_t len = static_cast<size_t>(text + MoneyTextMax - p);
    std::memcpy(out, p, len);
    return len;
}

uint32_t TMoneyField::TextToMoney(const std::string& text)
{
    // One pass over the text without its apostrophes: n characters, the
    // whole part before the only point and the decimals after it.
    size_t n = 0, points = 0, lastPoint = 0;
    uint64_t whole = 0;
    uint32_t cents = 0;
    bool invalid = false;
    for (const char c : text) {
        if (c == '\'') continue;
        if (c == '.') {
            ++points;
            lastPoint = n;
        } else if (c < '0' || c > '9') {
            invalid = true;
        } else if (points == 0) {
            whole = whole * 10 + static_cast<uint64_t>(c - '0');
            if (whole > 2147483647u) {
                invalid = true;
                whole = 0;
            }
        } else {
            cents = cents * 10 + static_cast<uint32_t>(c - '0');
        }
        ++n;
    }
    if (invalid || n < 4 || points != 1 || n - lastPoint - 1 != 2 || lastPoint == 0) InvalidMoney(text);
    if (whole > 42949671u) throw Exception("Слишком большое число: [" + text + "]");
    return static_cast<uint32_t>(whole) * 100 + cents;
}

uint32_t TMoneyField::MulMoney(uint32_t a, uint32_t b)
{
    const uint32_t A = a / 100, a0 = a % 100, B = b / 100, b0 = b % 100;
    uint32_t t = CheckedMulU(CheckedMulU(A, B), 100);
    t = CheckedAddU(t, CheckedMulU(A, b0));
    t = CheckedAddU(t, CheckedMulU(a0, B));
    const uint32_t f = a0 * b0;
    t = CheckedAddU(t, f / 100);
    if (f % 100 >= 50) t = CheckedAddU(t, 1);
    return t;
}

uint32_t TMoneyField::EditText(const std::string& text)
{
    return ParseMoneyText(text);
}

uint32_t TMoneyField::FromVariant(const TVariant& value)
{
    if (value.VarType() != varLongWord) throw Exception("Тип варианта не является LongWord");
    return value.AsLongWord();
}

} // namespace tv
