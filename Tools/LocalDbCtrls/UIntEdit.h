#pragma once
// The plain data-entry edits: digits at the right edge, digits at the left
// edge, and free text.

#include "ULocalDbEdit.h"

namespace tv {

// Takes digits only, typed or pasted; the text stands at the right edge.
class TIntEdit : public TLocalDbEdit {
    Q_OBJECT
public:
    explicit TIntEdit(QWidget* Owner = nullptr);
};

// Takes digits only, typed or pasted; the text stands at the left edge.
class TStrIntEdit : public TLocalDbEdit {
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
