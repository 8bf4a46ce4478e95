#pragma once
// The plain data-entry edits: digits at the right edge, digits at the left
// edge, and free text.

#include "ULocalDbEdit.h"

namespace tv {

// Takes digits only, typed or pasted, and at most Digits of them: a paste
// that would not fit is refused whole, since a number cut short is another
// number (a 13-digit barcode is not its first 8 digits).
class TDigitsEdit : public TLocalDbEdit {
    Q_OBJECT
public:
    explicit TDigitsEdit(QWidget* Owner = nullptr);
    void SetDigits(int Count);
    int Digits() const { return FDigits; }

private:
    int FDigits = 0;  // 0: as many as the line edit holds
};

// Digits at the right edge.
class TIntEdit : public TDigitsEdit {
    Q_OBJECT
public:
    explicit TIntEdit(QWidget* Owner = nullptr);
};

// Digits at the left edge.
class TStrIntEdit : public TDigitsEdit {
    Q_OBJECT
public:
    explicit TStrIntEdit(QWidget* Owner = nullptr);
};

// Free text of one line that code page 1251 can store, typed or pasted: a
// control character becomes one blank (a CR LF pair one), a character 1251
// cannot hold is refused.
class TStringEdit : public TLocalDbEdit {
    Q_OBJECT
public:
    explicit TStringEdit(QWidget* Owner = nullptr);
};

} // namespace tv
