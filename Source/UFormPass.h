#pragma once
// The start password prompt, shown before the data are opened when a
// password is set.

#include <QDialog>

#include <memory>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

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

class TFormPass : public QDialog {
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

    TImage* Image;
    QFrame* Bevel;
    QLabel* LbPass;
    QLineEdit* EditPass;
    QLabel* LbLang;
    QLabel* LbResult;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

protected:
    // The application's messages while the prompt exists: Esc anywhere
    // closes it as cancelled; a keyboard layout change refreshes LbLang at
    // the next message. Key releases count as possible changes, since the
    // X11 platform reports no layout change of its own.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void FormCreate();
    void BtnOKClick();
    void BtnCancelClick();
    void EditPassChange();

    TPass* FPass;
    bool FLayoutChanged = false;
    std::unique_ptr<TTopWindow> FTopWindow;
};

} // namespace tv
