#pragma once
// The start password prompt, shown before the data are opened when a
// password is set, and the base it shares with the password change.

#include "UTextSlots.h"

#include <QDialog>

#include <memory>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRect;

namespace tv {

class TImage;
class TPass;
class TTopWindow;

// The bytes whose digest stands for a typed password: its code page 1251
// form when 1251 holds every character (as passwords were always stored),
// else its UTF-8 form.
std::string PasswordBytes(const QString& text);

// True when the typed text is the store's password; a store that cannot be
// read counts as a wrong password.
bool PasswordMatches(TPass& pass, const QString& text);

// Modal results of the prompt besides 1 (OK) and 2 (Cancel, close box).
inline constexpr int PassEscapeResult = 333;

// What the password prompt and the password change share: the band, the
// password edit, the red message line and the OK and Cancel buttons, and
// their handlers. Cancel and the close box answer 2; typing in an edit
// clears the message.
class TPassDialog : public QDialog {
    Q_OBJECT

public:
    TImage* Image;
    QFrame* Bevel;
    QLineEdit* EditPass;
    QLabel* LbResult;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

protected:
    // pass must outlive the dialog; assertion is the failure text without one.
    TPassDialog(TPass* pass, QWidget* parent, const char* name, int width, int height, const char* assertion);

    // A password edit at the place; its typing clears the message.
    QLineEdit* AddPasswordEdit(const char* name, const QRect& place);
    // The message line at the top and the two buttons on the band, made
    // after the form's own controls.
    void AddResultAndButtons(int resultTop);
    // False, with the wrong-password message, unless EditPass holds the
    // store's password.
    bool OldPasswordMatches();
    void ShowResult(TTextSlot slot);

    void reject() override;
    void BtnCancelClick();
    void EditPassChange();

    TPass* FPass;
};

class TFormPass : public TPassDialog {
    Q_OBJECT

public:
    // pass must outlive the form. Registers the form as the program's
    // "TFormPass" window, which answers the instance messages.
    explicit TFormPass(TPass* pass, QWidget* parent = nullptr);
    ~TFormPass() override;

    // False at once when no password is set; otherwise shows the prompt
    // modally and answers true unless it closed with OK.
    bool LoginCancelled();

    // Captions from the current text table.
    void ApplyLanguage();
    // LbLang := the two-letter code, upper case, of the language of the
    // active keyboard layout (of the input method where the keyboard
    // cannot be read).
    void ShowKeyboardLanguage();

    QLabel* LbPass;
    QLabel* LbLang;

protected:
    // The application's messages while the prompt exists: Esc anywhere
    // closes it as cancelled; a keyboard layout change refreshes LbLang at
    // the next message. Key releases count as possible changes, since the
    // X11 platform reports no layout change of its own.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void BtnOKClick();

    bool FLayoutChanged = false;
    std::unique_ptr<TTopWindow> FTopWindow;
};

} // namespace tv
