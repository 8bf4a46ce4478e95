#pragma once
// The password change dialog: the old password, the new one twice.

#include "UFormPass.h"

namespace tv {

class TFormPassChange : public TPassDialog {
    Q_OBJECT

public:
    // pass must outlive the form.
    explicit TFormPassChange(TPass* pass, QWidget* parent = nullptr);

    // Captions and hints from the current text table.
    void ApplyLanguage();

    QLabel* LbPass;
    QLabel* LbNewPass;
    QLineEdit* EditNewPass;
    QLabel* LbNewPassConfirm;
    QLineEdit* EditNewPassConfirm;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Each showing starts with empty fields and the focus on the old password.
    void FormShow();
    // Wrong old password and a mismatch are shown in LbResult; an empty new
    // password removes the password; a store that fails keeps the dialog
    // open with its message. Closes with 1 once the new password is stored.
    void BtnOKClick();
};

} // namespace tv
