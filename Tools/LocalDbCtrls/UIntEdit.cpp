#include "UIntEdit.h"

#include "UCodePage.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QValidator>

namespace tv {

namespace {


// Makes each control character of a text one blank (a CR LF pair one),
// then refuses a text with a character the data file cannot store, typed
// or pasted, as a number edit refuses a letter.
class TCp1251Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override
    {
        std::string text = input.toStdString();
        const std::string line = OneLine(text);
        if (line != text) {
            pos = int(QString::fromStdString(OneLine(input.left(pos).toStdString())).size());
            input = QString::fromStdString(line);
            text = line;
        }
        return Cp1251Holds(text) ? Acceptable : Invalid;
    }
};

} // namespace

TDigitsEdit::TDigitsEdit(QWidget* Owner) : TLocalDbEdit(Owner) { SetDigits(0); }

// The line edit cuts what does not fit its maximum length before its
// validator sees it; the count is the validator's, so a paste too long fails.
void TDigitsEdit::SetDigits(int Count) {
    FDigits = Count;
    const QString digits = Count > 0 ? QStringLiteral("[0-9]{0,%1}").arg(Count) : QStringLiteral("[0-9]*");
    delete validator();
    setValidator(new QRegularExpressionValidator(QRegularExpression(digits), this));
}

TIntEdit::TIntEdit(QWidget* Owner) : TDigitsEdit(Owner) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

TStrIntEdit::TStrIntEdit(QWidget* Owner) : TDigitsEdit(Owner) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

TStringEdit::TStringEdit(QWidget* Owner) : TLocalDbEdit(Owner) {
    setValidator(new TCp1251Validator(this));
}

} // namespace tv
