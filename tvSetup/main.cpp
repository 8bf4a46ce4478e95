// The setup program: one copy at a time; the wizard, then the installed
// program when the user asked for it.

#include "UConfirm.h"
#include "UExceptions.h"
#include "UQtText.h"
#include "USetupLock.h"
#include "USetupMainForm.h"
#include "USetupTextConst.h"

#include <QMessageBox>

#include <memory>

using namespace tv;

int main(int argc, char** argv)
{
    auto lock = std::make_unique<TSetupLock>();
    if (lock->HeldByAnother())
        return 0;
    if (!lock->Acquired()) {
        TSetupApplication app(argc, argv);
        SetEngText();
        QMessageBox box(QMessageBox::Critical, ToQ(SetupText.Caption),
                        ToQ(SetupText.MsgLockFailed + "\n" + lock->Error()));
        box.addButton("OK", QMessageBox::AcceptRole);
        box.exec();
        return 1;
    }
    int result = 0;
    {
        TSetupApplication app(argc, argv);
        MainFormSetup = new TMainFormSetup;
        ConfirmForm = new TConfirmForm(MainFormSetup);
        MainFormSetup->show();
        result = app.exec();
        delete MainFormSetup;
        ConfirmForm = nullptr;
        lock.reset();
        if (RunAfterSetup)
            ExecProgram(ProgramToRun, {}, false);
        ProgramToRun.clear();
    }
    return result;
}
