#pragma once
// The main window's keyboard: NumLock switched for the field that takes the
// input (only in notebook mode), and the NumLock state and the keyboard
// layout shown in the status bar, refreshed as keys and layouts change.

#include <QObject>

namespace tv {

class TStatusPanels;

class TMainKeyboard : public QObject {
public:
    // Notes the NumLock state to restore and watches the application's keys.
    // The panels must outlive the keyboard.
    TMainKeyboard(QObject* parent, TStatusPanels* panels);

    // NumLock on for a numeric field, off for a text field; nothing while
    // the enhanced keyboard is chosen.
    void EditEnter(bool numeric);
    // NumLock as it was at the start; nothing while the enhanced keyboard is chosen.
    void RestoreNumLock();
    void ShowNumLock();
    void ShowLanguage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TStatusPanels* FPanels;
    bool FNumLockAtStart = false;
    bool FLayoutChangePending = false;
};

} // namespace tv
