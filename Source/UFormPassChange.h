#pragma once
// The password change dialog: the old password, the new one twice.

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tv {

class TImage;
class TPass;

class TFormPassChange : public QDialog {
    Q_OBJECT

public:
    // pass must outlive the form.
    explicit TFormPassChange(TPass* pass, QWidget* parent = nullptr);

    // Captions and hints from the current text table.
    void ApplyLanguage();

    TImage* Image;
    QFrame* Bevel;
    QLabel* LbPass;
    QLineEdit* EditPass;
    QLabel* LbNewPass;
    QLineEdit* EditNewPass;
    QLabel* LbNewPassConfirm;
    QLineEdit* EditNewPassConfirm;
    QLabel* LbResult;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    // Each showing starts with empty fields and the focus on the old password.
    void FormShow();
    // Wrong old password and a mismatch are shown in LbResult; an empty new
    // password removes the password; a store that fails keeps the dialog
    // open with its message. Closes with 1 once the new password is stored.
    void BtnOKClick();
    void BtnCancelClick();
    void EditPassChange();

    TPass* FPass;
};

} // namespace tv
