#include "UMainForm.h"

#include "UAppSelect.h"
#include "UTopWindows.h"

#include <QEvent>

namespace tv {

TMainFormStore* MainFormStore = nullptr;

TMainFormStore::TMainFormStore(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName("TMainFormStore");
    setMinimumSize(780, 514);
    resize(780, 514);
    MainFormStore = this;
    FTopWindow = std::make_unique<TTopWindow>("TMainFormStore", windowTitle().toStdString(), this,
                                              [](TMessage& message) {
                                                  if (message.Msg == WM_RESTOREINSTANCE)
                                                      AnswerActivate(message);
                                                  else if (message.Msg == WM_TERMINATEINSTANCE)
                                                      AnswerClose();
                                              });
}

TMainFormStore::~TMainFormStore()
{
    if (MainFormStore == this) MainFormStore = nullptr;
}

void TMainFormStore::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowTitleChange && FTopWindow)
        FTopWindow->SetCaption(windowTitle().toStdString());
    QMainWindow::changeEvent(event);
}

} // namespace tv
