#pragma once
// The program's own message box: a fixed-size dialog with an icon, a centred
// text and one or two buttons whose captions and hints the caller gives,
// over the band that every dialog of the program ends in.

#include "UMessages.h"

#include <QDialog>
#include <QPointer>

#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace tv {

class TImage;

class TFormMessageBox : public QDialog {
    Q_OBJECT

public:
    // The first box made becomes FormMessageBox until it is destroyed.
    explicit TFormMessageBox(QWidget* parent = nullptr);
    ~TFormMessageBox() override;

    // Shows the box modally, centred over the main form, and answers 1 for
    // the first button, 2 for the second button or the close box.
    // flags & MB_BUTTONMASK is the button set: 1 two buttons (Enter answers 1, Esc 2,
    // the first button has the focus); any other value one button with the
    // first caption and hint, at the right edge, answering 1 to Enter and
    // Esc. flags & MB_ICONMASK is the icon: 16 stop, 32 question,
    // 48 exclamation, 64 information; any other value shows none. Text lines end in CR LF.
    // A call while the box is already showing is answered by a second box.
    int ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                       const std::string& firstCaption, const std::string& firstHint,
                       const std::string& secondCaption = std::string(),
                       const std::string& secondHint = std::string());

    // The window the box is centred over. Without one the box centres over
    // the active window, and without a visible window over the screen.
    void SetMainForm(QWidget* form) { FMainForm = form; }

    // The controls, at their fixed places in the 364 x 142 client area.
    TImage* Image;
    QFrame* Bevel;
    QLabel* LbQuery;
    QLabel* ImageIcon;
    QPushButton* Btn1;
    QPushButton* Btn2;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The close box and every other end without a button answer 2.
    void reject() override;

private:
    void Btn1Click();
    void Btn2Click();
    void PlaceOverMainForm();

    QPointer<QWidget> FMainForm;
    QPushButton* FCancelButton = nullptr;
    int FBtn2Result = 2;
};

// The program's message box; null until one is made.
extern TFormMessageBox* FormMessageBox;

// How a text is made to fit the width of FormMessageBox's text, measured
// in its font.
enum class TMessageFit {
    // CR LF after "\" or "/" so that each line fits; a piece wider than the
    // text stands on a line of its own. For file and folder paths.
    PathLines,
    // A blank inserted where a word reaches the width, so that the box
    // breaks the word there.
    WordBreaks,
    // CR LF between pieces that each fit, cut at any character; for a line
    // without blanks.
    CharLines,
    // One line, the folders shortened with "..." (ShortenPath).
    ShortPath,
};

// The text fitted to the message box. Without FormMessageBox, PathLines
// raises EAssertionFailed "Not Assigned Message Box" and the others give the
// text unchanged.
std::string FitToMessageBox(const std::string& text, TMessageFit how);

// The message interface of the data code, answered by a message box form.
class TMessageBoxMessages : public IMessages {
public:
    // The form must be given; after it is gone every box answers 2.
    explicit TMessageBoxMessages(TFormMessageBox* form);

    int ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                       const std::string& firstCaption, const std::string& firstHint,
                       const std::string& secondCaption, const std::string& secondHint) override;

private:
    QPointer<TFormMessageBox> FForm;
};

} // namespace tv
