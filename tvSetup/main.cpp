// The setup program: one copy at a time; the wizard, then the installed
// program when the user asked for it.

#include "UConfirm.h"
#include "UExceptions.h"
#include "UMainForm.h"
#include "USetupLock.h"

#include <memory>

using namespace tv;

int main(int argc, char** argv)
{
    auto lock = std::make_unique<TSetupLock>();
    if (!lock->Acquired())
        return 0;
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
