#pragma once
// Common base of the data-entry edits of the goods panel.

#include <QLineEdit>

namespace tv {

// A line edit that reports every gain of keyboard focus through OnEnter
// (also when its window becomes active again) and ignores Ctrl+Backspace.
// Its text shows from the start when set from outside or selected on entry.
class TLocalDbEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TLocalDbEdit(QWidget* Owner = nullptr);

signals:
    // The owner's enter event.
    void OnEnter();

protected:
    void focusInEvent(QFocusEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

    // Ctrl+Backspace, or the character it gives (127).
    static bool IsCtrlBackspace(const QKeyEvent* Event);

private:
    bool FEdited = false;  // the change under way is the user's
};

} // namespace tv
