#include "UPadKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace tv {

TPadKeys::TPadKeys(QWidget* window) : QObject(window), FWindow(window)
{
    qApp->installEventFilter(this);
}

TPadKeys::~TPadKeys()
{
    if (qApp) qApp->removeEventFilter(this);
}

bool TPadKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != FWindow) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::KeypadModifier)) return false;
    const QKeySequence pressed(key->keyCombination());
    for (QAction* act : FWindow->actions()) {
        if (!act->isEnabled() || !act->shortcuts().contains(pressed)) continue;
        // Taking the override keeps the platform's own matching away; the
        // press that follows triggers the action.
        key->accept();
        if (type == QEvent::KeyPress) act->trigger();
        return true;
    }
    return false;
}

QString PadKeyName(const QKeySequence& key)
{
    if (key.count() != 1 || !(key[0].keyboardModifiers() & Qt::KeypadModifier)) return {};
    const Qt::Key k = key[0].key();
    return "Num " + (k == Qt::Key_Minus ? QString(QChar(0x2212)) : QKeySequence(k).toString(QKeySequence::NativeText));
}

} // namespace tv
