#pragma once
// Finding a running copy of the program by its top-level windows, and the
// two instance messages it answers.
//
// A program makes itself findable by keeping a TTopWindow of class
// "TApplication" titled with its title, and one for each form that answers
// the messages (its handler calls AnswerActivate / AnswerClose), all created
// on the GUI thread.

#include "UTopWindows.h"

#include <string>
#include <vector>

namespace tv {

// Come to the front; answered with the window to bring forward, or 0.
constexpr unsigned WM_RESTOREINSTANCE = 0x760;
// End the program; the answer is not used.
constexpr unsigned WM_TERMINATEINSTANCE = 0x761;

// True when both texts have the same number of characters and are equal
// ignoring the case of Latin and Cyrillic letters.
bool SameWindowName(const std::string& windowText, const std::string& wanted);

// The form window of a running program: among all top-level windows, the
// thread of the last application window of class appClass titled exactly
// caption (letter case counts) decides; the answer is the first window of one of formClasses created by
// that thread, or 0. GUI thread only; not re-entrant.
TWindow FindRunningCopy(const std::string& caption, const std::string& appClass,
                        const std::vector<std::string>& formClasses);

// Sends WM_RESTOREINSTANCE to the window and waits (bounded) for the answer;
// a non-zero answer is brought to the foreground.
void ActivateRunningCopy(TWindow window);

// Receiving side of WM_RESTOREINSTANCE: restores the program's minimised
// windows, raises and activates its active dialog or window when that is
// visible and enabled, and answers with that window (0 when none).
void AnswerActivate(TMessage& message);

// Receiving side of WM_TERMINATEINSTANCE: ends every running event loop of
// the application, which then shuts down as after any other end of its loop.
void AnswerClose();

// A program window's answer to both messages; other messages go unanswered.
void AnswerInstanceMessage(TMessage& message);

} // namespace tv
