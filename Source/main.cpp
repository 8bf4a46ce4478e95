// The stock-keeping program: decides whether this start may run, opens the
// data, shows the windows and closes the data at the end.

#include "UAboutForm.h"
#include "UAppSelect.h"
#include "UExceptHandler.h"
#include "UFormPass.h"
#include "UFormPassChange.h"
#include "UFormStat.h"
#include "UMainForm.h"
#include "UMessageBoxForm.h"
#include "UMessages.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UStoreData.h"
#include "UStoreDataOpen.h"
#include "UTextConst.h"
#include "UTopWindows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

using namespace tv;

namespace {

// "Tarnovell - " and the program folder without its trailing '/'; other
// copies and the setup program know this copy by it.
std::string ProgramTitle()
{
    std::string folder = ProgramFolder();
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return "Tarnovell - " + folder;
}

// Set TARNOVELL_QUIT_AFTER_FIRST_PAINT and the program writes "first paint"
// to its output once the main window has painted, then ends as after a
// close: the start-up benchmark times it so.
class TFirstPaintWatch : public QObject {
public:
    explicit TFirstPaintWatch(QWidget* form) : QObject(form), FForm(form) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            (watched == FForm || FForm->isAncestorOf(static_cast<QWidget*>(watched)))) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, [] {
                std::fputs("first paint\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget* FForm;
};

int RunProgram(TStoreApplication& app)
{
    const std::string title = ProgramTitle();
    if (const TWindow running = FindRunningCopy(title, "TApplication", {"TMainFormStore", "TFormPass"})) {
        ActivateRunningCopy(running);
        return 0;
    }

    LoadLanguageTexts(ProgOptions().GetLanguage());
    const QString qtitle = QString::fromStdString(title);
    TTopWindow application("TApplication", title, nullptr, AnswerInstanceMessage);

    auto formPass = std::make_unique<TFormPass>(&GlobalPass());
    TFormMessageBox messageBox;
    TMessageBoxMessages messages(&messageBox);
    SetMessages(&messages);
    struct TMessagesReset {
        ~TMessagesReset() { SetMessages(nullptr); }
    } messagesReset;

    if (formPass->LoginCancelled()) return 0;
    formPass.reset();

    if (!BackupAndOpenStoreData()) return 1;
    struct TStoreClose {
        ~TStoreClose() { CloseStoreData(); }
    } storeClose;

    auto mainForm = std::make_unique<TMainFormStore>();
    mainForm->setWindowTitle(qtitle);
    messageBox.SetMainForm(mainForm.get());
    // The main window's children, so that it finds them and they close with it.
    new TFormStat(&Store, mainForm.get());
    new TFormAbout(&ProgOptions(), mainForm.get());
    new TFormPassChange(&GlobalPass(), mainForm.get());

    if (qEnvironmentVariableIsSet("TARNOVELL_QUIT_AFTER_FIRST_PAINT")) new TFirstPaintWatch(mainForm.get());
    mainForm->show();
    app.exec();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    TStoreApplication app(argc, argv);
    // The icon the setup program puts beside the program, as its entries show it.
    app.setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/tarnovell.png"));
    try {
        return RunProgram(app);
    } catch (...) {
        // The start itself failed: show it even when the message box is gone.
        if (TextTable[SlotExecutionError].empty()) LoadEnglishTexts();
        TFormMessageBox box;
        TMessageBoxMessages messages(&box);
        SetMessages(&messages);
        ExceptHandler.ApplicationException(nullptr, std::current_exception());
        SetMessages(nullptr);
        return 1;
    }
}
