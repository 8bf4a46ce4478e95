#pragma once
// The program's message box as the stock book sees it: plain C++, so that the
// data code can report to the user without knowing any widget. The program's
// message box form implements it; tests use a recording implementation.

#include <string>

namespace tv {

// Flags as ShowMessageBox takes them: one value of the button group or'ed
// with one of the icon group.
enum : int {
    MB_ONEBUTTON = 0,
    MB_TWOBUTTONS = 1,
    MB_ICONSTOP = 16,
    MB_ICONQUESTION = 32,
    MB_ICONEXCLAMATION = 48,
    MB_ICONINFORMATION = 64,
    MB_BUTTONMASK = 15,  // the bits of the button group
    MB_ICONMASK = 240,   // the bits of the icon group
};

class IMessages {
public:
    virtual ~IMessages() = default;
    // Shows a modal box; answers 1 for the first button, 2 for the second
    // button or the close box.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                               const std::string& firstCaption, const std::string& firstHint,
                               const std::string& secondCaption = std::string(),
                               const std::string& secondHint = std::string()) = 0;
};

// The implementation in use; none is set until the program sets one.
// Showing a box with none set does nothing and answers 2.
IMessages* GetMessages();
void SetMessages(IMessages* messages);

int ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                   const std::string& firstCaption, const std::string& firstHint,
                   const std::string& secondCaption = std::string(),
                   const std::string& secondHint = std::string());

} // namespace tv
