#pragma once
// Shortcuts on the numeric pad. On X11 a key sequence that carries the
// keypad modifier never matches a real key press, so the pad keys a
// window's actions list are matched here from the key event itself, the
// same way on every platform.

#include <QObject>

class QKeySequence;
class QString;
class QWidget;

namespace tv {

class TPadKeys : public QObject {
public:
    // Watches the application's key events for the window (its child).
    explicit TPadKeys(QWidget* window);
    ~TPadKeys() override;

protected:
    // A pad key pressed in the window triggers the window's enabled action
    // that lists it among its shortcuts; other keys pass.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FWindow;
};

// The menu name of a numeric-pad key, as "Num +" or "Num −"; empty for
// any other key sequence.
QString PadKeyName(const QKeySequence& key);

} // namespace tv
