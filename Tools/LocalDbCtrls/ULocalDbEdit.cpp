#include "ULocalDbEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace tv {

TLocalDbEdit::TLocalDbEdit(QWidget* Owner) : QLineEdit(Owner) {}

// A pop-up menu opened over the edit hands the focus back when it closes;
// that is no new gain of focus.
void TLocalDbEdit::focusInEvent(QFocusEvent* Event) {
    QLineEdit::focusInEvent(Event);
    if (Event->reason() != Qt::PopupFocusReason)
        emit OnEnter();
}

bool TLocalDbEdit::IsCtrlBackspace(const QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Backspace && (Event->modifiers() & Qt::ControlModifier))
        return true;
    return Event->text() == QString(QChar(127));
}

void TLocalDbEdit::keyPressEvent(QKeyEvent* Event) {
    if (IsCtrlBackspace(Event)) {
        Event->accept();
        return;
    }
    QLineEdit::keyPressEvent(Event);
}

} // namespace tv
