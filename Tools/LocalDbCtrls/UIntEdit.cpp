#include "UIntEdit.h"

#include "UCodePage.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QValidator>

namespace tv {

namespace {

void AcceptDigitsOnly(QLineEdit* Edit) {
    Edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit));
}

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

TIntEdit::TIntEdit(QWidget* Owner) : TLocalDbEdit(Owner) {
    AcceptDigitsOnly(this);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

TStrIntEdit::TStrIntEdit(QWidget* Owner) : TLocalDbEdit(Owner) {
    AcceptDigitsOnly(this);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

TStringEdit::TStringEdit(QWidget* Owner) : TLocalDbEdit(Owner) {
    setValidator(new TCp1251Validator(this));
}

} // namespace tv
