#include "ULocalDbEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace tv {

// A left-aligned text set from outside shows from its start, not from the
// end where the line edit puts its cursor. The line edit reports a user's
// edit just before the change.
TLocalDbEdit::TLocalDbEdit(QWidget* Owner) : QLineEdit(Owner)
{
    connect(this, &QLineEdit::textEdited, this, [this] { FEdited = true; });
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!FEdited && !(alignment() & Qt::AlignRight)) setCursorPosition(0);
        FEdited = false;
    });
}

// A pop-up menu opened over the edit hands the focus back when it closes;
// that is no new gain of focus. Tabbing in selects the text from its end
// back to the start, so that the start of a left-aligned text stays in view.
void TLocalDbEdit::focusInEvent(QFocusEvent* Event) {
    QLineEdit::focusInEvent(Event);
    if (!(alignment() & Qt::AlignRight) && hasSelectedText() && selectedText() == text())
        setSelection(text().size(), -text().size());
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
