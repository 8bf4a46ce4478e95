#pragma once
// One wizard with its overwrite dialog in a temporary home, shown, as the
// setup program makes them.

#include "SetupTestHome.h"
#include "UConfirm.h"
#include "USetupMainForm.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

#include <memory>

struct TWizard {
    TWizard() { Restart(); }
    // A new wizard in the same home, as a second start of the setup.
    void Restart()
    {
        using namespace tv;
        ConfirmForm = nullptr;
        Form.reset();
        Form = std::make_unique<TMainFormSetup>();
        MainFormSetup = Form.get();
        ConfirmForm = new TConfirmForm(Form.get());
        Form->Installation().CloseProgram = [](const std::string&) { return true; };
        Form->show();
        RunAfterSetup = false;
        ProgramToRun.clear();
    }
    ~TWizard()
    {
        tv::ConfirmForm = nullptr;
        Form.reset();
    }
    TWizard(const TWizard&) = delete;
    TWizard& operator=(const TWizard&) = delete;

    void Next(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            Form->BtnNext->click();
    }
    QStringList Memo() const { return Form->MemoProgress->toPlainText().split('\n'); }
    void SelectLanguage(int index)
    {
        Form->ComboBoxLang->setCurrentIndex(index);
        emit Form->ComboBoxLang->activated(index);
    }

    TSetupTestHome Home;
    std::unique_ptr<tv::TMainFormSetup> Form;
};
