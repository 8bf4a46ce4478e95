#include "UMainKeyboard.h"

#include "UKeyboard.h"
#include "UMainForm.h"
#include "UProgOptions.h"
#include "UQtText.h"
#include "UStatusPanels.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QTimer>

namespace tv {

TMainKeyboard::TMainKeyboard(QObject* parent, TStatusPanels* panels) : QObject(parent), FPanels(panels)
{
    FNumLockAtStart = NumLockState().value_or(false);
    connect(QGuiApplication::inputMethod(), &QInputMethod::localeChanged, this,
            [this] { FLayoutChangePending = true; });
    qApp->installEventFilter(this);
}

void TMainKeyboard::EditEnter(bool numeric)
{
    if (ProgOptions().GetEnhanced()) return;
    QCoreApplication::processEvents();
    if (numeric)
        NumLockOn();
    else
        NumLockOff();
    // The keyboard is switched without a key event that would refresh the panel.
    ShowNumLock();
}

void TMainKeyboard::RestoreNumLock()
{
    if (ProgOptions().GetEnhanced()) return;
    if (FNumLockAtStart)
        NumLockOn();
    else
        NumLockOff();
    ShowNumLock();
}

void TMainKeyboard::ShowNumLock() { FPanels->SetText(mpNumLock, NumLockState().value_or(false) ? "NUM" : ""); }

void TMainKeyboard::ShowLanguage() { FPanels->SetText(mpKeyboard, ToQ(KeyboardLanguageText())); }

bool TMainKeyboard::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_NumLock)
        QTimer::singleShot(0, this, [this] { ShowNumLock(); });
    if (FLayoutChangePending) {
        FLayoutChangePending = false;
        ShowLanguage();
    } else if (type == QEvent::KeyboardLayoutChange) {
        FLayoutChangePending = true;
    } else if (type == QEvent::KeyRelease) {
        // X11 reports no layout change of its own; layouts switch on modifier keys.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Control || key == Qt::Key_Meta ||
            key == Qt::Key_Super_L || key == Qt::Key_Mode_switch) {
            FLayoutChangePending = true;
            QTimer::singleShot(0, this, [] {});
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tv
