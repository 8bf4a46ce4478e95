#pragma once
// Acts on a modal dialog once it is up: the test's answer to a question
// that the code under test asks with exec().

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs action once a modal widget for which accept() holds is the active
// one (default: any). A timer whose widget never comes goes with the
// application.
inline void WhenShown(std::function<void(QWidget*)> action,
                      std::function<bool(QWidget*)> accept = [](QWidget*) { return true; })
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, action, accept] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || !accept(modal))
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start(10);
}
