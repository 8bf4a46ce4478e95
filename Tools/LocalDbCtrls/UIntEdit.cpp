#include "UIntEdit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace tv {

namespace {

void AcceptDigitsOnly(QLineEdit* Edit) {
    Edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit));
}

} // namespace

TIntEdit::TIntEdit(QWidget* Owner) : TLocalDbEdit(Owner) {
    AcceptDigitsOnly(this);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

TStrIntEdit::TStrIntEdit(QWidget* Owner) : TLocalDbEdit(Owner) {
    AcceptDigitsOnly(this);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

TStringEdit::TStringEdit(QWidget* Owner) : TLocalDbEdit(Owner) {}

} // namespace tv
