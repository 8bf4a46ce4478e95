#include "UFormPassChange.h"

#include "UDialogBand.h"
#include "UException.h"
#include "UFormPass.h"
#include "UImage.h"
#include "UPassword.h"
#include "UQtText.h"
#include "UTextConst.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tv {

namespace {

constexpr int ClientWidth = 264;
constexpr int ClientHeight = 207;
TUnitGradienter PassChangeGradienter;

} // namespace

TFormPassChange::TFormPassChange(TPass* pass, QWidget* parent)
    : TPassDialog(pass, parent, "FormPassChange", ClientWidth, ClientHeight,
                  "Not assigned TPass-object for the password change form")
{
    const auto label = [this](const char* name, int top) {
        auto* lb = new QLabel(this);
        lb->setObjectName(name);
        lb->setGeometry(12, top, ClientWidth - 24, 15);
        return lb;
    };
    const auto edit = [this](const char* name, int top) {
        return AddPasswordEdit(name, QRect(12, top, ClientWidth - 24, 21));
    };
    LbPass = label("LbPass", 8);
    EditPass = edit("EditPass", 24);
    LbNewPass = label("LbNewPass", 52);
    EditNewPass = edit("EditNewPass", 68);
    LbNewPassConfirm = label("LbNewPassConfirm", 96);
    EditNewPassConfirm = edit("EditNewPassConfirm", 112);
    AddResultAndButtons(141);
    setTabOrder(EditPass, EditNewPass);
    setTabOrder(EditNewPass, EditNewPassConfirm);
    setTabOrder(EditNewPassConfirm, BtnOK);
    setTabOrder(BtnOK, BtnCancel);

    connect(BtnOK, &QPushButton::clicked, this, &TFormPassChange::BtnOKClick);

    PassChangeGradienter.Attach(this, Image);
    ApplyLanguage();
}

void TFormPassChange::ApplyLanguage()
{
    setWindowTitle(ToQ(TextTable[SlotChangePasswordButton]));
    LbPass->setText(ToQ(TextTable[SlotEnterOldPassword]));
    LbNewPass->setText(ToQ(TextTable[SlotEnterNewPassword]));
    LbNewPassConfirm->setText(ToQ(TextTable[SlotRepeatNewPassword]));
    BtnOK->setText("OK");
    BtnOK->setToolTip(ToQ(TextTable[SlotSetNewPasswordHint]));
    BtnCancel->setText(ToQ(TextTable[SlotExitButton]));
    BtnCancel->setToolTip(ToQ(TextTable[SlotPassChangeCloseHint]));
}

void TFormPassChange::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TFormPassChange::FormShow()
{
    EditPass->clear();
    EditNewPass->clear();
    EditNewPassConfirm->clear();
    LbResult->clear();
    if (EditPass->isEnabled()) EditPass->setFocus();
}

void TFormPassChange::BtnOKClick()
{
    if (!OldPasswordMatches()) return;
    if (EditNewPass->text() != EditNewPassConfirm->text()) {
        ShowResult(SlotNewPasswordMismatch);
        return;
    }
    bool stored = false;
    try {
        stored = FPass->SetPassword(PasswordBytes(EditNewPass->text()));
    } catch (const Exception&) {
        stored = false;
    }
    if (stored)
        done(1);
    else
        ShowResult(SlotPasswordSaveFailed);
}

} // namespace tv
