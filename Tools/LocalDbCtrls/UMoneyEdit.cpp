#include "UMoneyEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <functional>

namespace tv {

TMoneyEdit::TMoneyEdit(QWidget* Owner) : TLocalDbEdit(Owner) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setText(QStringLiteral("0.00"));
    connect(this, &QLineEdit::textChanged, this, &TMoneyEdit::Change);
}

TMoneyEditLogic TMoneyEdit::State() const {
    TMoneyEditLogic state(text().toStdString(), maxLength());
    if (hasSelectedText())
        state.SetSelection(selectionStart(), selectionLength());
    else
        state.SetCaret(cursorPosition());
    return state;
}

void TMoneyEdit::Apply(const TMoneyEditLogic& State) {
    const QString newText = QString::fromStdString(State.Text());
    if (newText != text()) {
        FRegrouping = true;
        setText(newText);
        FRegrouping = false;
    }
    if (State.SelLength() > 0)
        setSelection(State.SelStart(), State.SelLength());
    else
        setCursorPosition(State.SelStart());
}

// Text written while the edit has the focus is regrouped, the caret kept
// at its distance from the end; text written without focus stays as it is.
void TMoneyEdit::Change() {
    if (FGuarding)
        return;
    if (!FRegrouping && hasFocus() && !isReadOnly() && !hasSelectedText()) {
        const std::string old = text().toStdString();
        const std::string regrouped = TMoneyEditLogic::RegroupText(old);
        if (TMoneyEditLogic::InShape(old) && regrouped != old) {
            const int distance = static_cast<int>(old.size()) - cursorPosition();
            FRegrouping = true;
            setText(QString::fromStdString(regrouped));
            setCursorPosition(static_cast<int>(regrouped.size()) - distance);
            FRegrouping = false;
        }
    }
    emit OnChange();
}

void TMoneyEdit::CorrectCaret() {
    if (hasSelectedText())
        return;
    TMoneyEditLogic state = State();
    const int before = state.SelStart();
    state.CorrectCaret();
    if (state.SelStart() != before)
        setCursorPosition(state.SelStart());
}

void TMoneyEdit::BaseKeyPress(QKeyEvent* Event) {
    const QString before = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = selectionLength();
    FGuarding = true;
    TLocalDbEdit::keyPressEvent(Event);
    if (text() != before) {
        setText(before);
        if (length > 0)
            setSelection(start, length);
        else
            setCursorPosition(start);
    }
    FGuarding = false;
}

void TMoneyEdit::keyPressEvent(QKeyEvent* Event) {
    if (IsCtrlBackspace(Event)) {
        Event->accept();
        return;
    }
    TMoneyEditLogic state = State();
    if (isReadOnly() || !state.InShape()) {
        BaseKeyPress(Event);
        CorrectCaret();
        return;
    }
    const Qt::KeyboardModifiers mods = Event->modifiers();
    const bool plain = !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const int key = Event->key();
    bool handled = true;

    if (key == Qt::Key_Delete) {
        if ((mods & Qt::ShiftModifier) && state.SelLength() > 0) {
            CutSelection();
        } else {
            state.DeleteKey();
            Apply(state);
        }
    } else if (plain && (key == Qt::Key_Left || key == Qt::Key_Up)) {
        // In a single-line edit Up and Down step like Left and Right.
        state.MoveLeft();
        Apply(state);
    } else if (plain && (key == Qt::Key_Right || key == Qt::Key_Down)) {
        state.MoveRight();
        Apply(state);
    } else if (Event->matches(QKeySequence::Undo) || Event->matches(QKeySequence::Redo)) {
        // The edit keeps no undo history.
    } else if (Event->matches(QKeySequence::Paste)) {
        PasteText();
    } else if (Event->matches(QKeySequence::Cut)) {
        CutSelection();
    } else if (key == Qt::Key_Backspace) {
        state.Backspace();
        Apply(state);
    } else if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
               !Event->text().isEmpty() && Event->text().at(0).unicode() >= ' ' &&
               Event->text().at(0).unicode() != 127) {
        for (QChar c : Event->text())
            if (c.unicode() < 128)
                state.KeyChar(static_cast<char>(c.unicode()));
        Apply(state);
    } else {
        handled = false;
        BaseKeyPress(Event);
    }
    if (handled)
        Event->accept();
    CorrectCaret();
}

void TMoneyEdit::mousePressEvent(QMouseEvent* Event) {
    TLocalDbEdit::mousePressEvent(Event);
    if (Event->button() == Qt::LeftButton)
        CorrectCaret();
}

// The middle button would insert the selection clipboard unchecked.
void TMoneyEdit::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::MiddleButton) {
        Event->accept();
        return;
    }
    TLocalDbEdit::mouseReleaseEvent(Event);
}

void TMoneyEdit::CutSelection() {
    if (isReadOnly() || !hasSelectedText())
        return;
    QGuiApplication::clipboard()->setText(selectedText());
    TMoneyEditLogic state = State();
    state.Cut();
    Apply(state);
    CorrectCaret();
}

void TMoneyEdit::PasteText() {
    if (isReadOnly())
        return;
    const QString clip = QGuiApplication::clipboard()->text();
    if (clip.size() > maxLength())
        return;
    TMoneyEditLogic state = State();
    if (state.Paste(clip.toStdString()))
        Apply(state);
    CorrectCaret();
}

void TMoneyEdit::ClearSelection() {
    if (isReadOnly())
        return;
    TMoneyEditLogic state = State();
    state.Clear();
    Apply(state);
    CorrectCaret();
}

void TMoneyEdit::clear() {
    setText(QStringLiteral("0.00"));
}

QMenu* TMoneyEdit::CreateMenu() {
    auto* menu = new QMenu(this);
    const bool selected = hasSelectedText();
    const bool writable = !isReadOnly();
    auto add = [&](const char* caption, QKeySequence::StandardKey key, const char* name,
                   bool enabled, const std::function<void()>& slot) {
        QString text = QCoreApplication::translate("QLineEdit", caption);
        const QKeySequence sequence(key);
        if (!sequence.isEmpty())
            text += QLatin1Char('\t') + sequence.toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    add("Cu&t", QKeySequence::Cut, "edit-cut", writable && selected, [this] { CutSelection(); });
    add("&Copy", QKeySequence::Copy, "edit-copy", selected, [this] { copy(); });
    add("&Paste", QKeySequence::Paste, "edit-paste",
        writable && !QGuiApplication::clipboard()->text().isEmpty(), [this] { PasteText(); });
    add("Delete", QKeySequence::UnknownKey, "edit-delete", writable && selected,
        [this] { ClearSelection(); });
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, "select-all",
        !text().isEmpty() && selectedText() != text(), [this] { selectAll(); });
    return menu;
}

void TMoneyEdit::contextMenuEvent(QContextMenuEvent* Event) {
    QMenu* menu = CreateMenu();
    menu->exec(Event->globalPos());
    delete menu;
}

} // namespace tv
