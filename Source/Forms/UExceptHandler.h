#pragma once
// The handler of every exception that nothing else caught: it shows the
// failure in the program's message box and the program goes on.
//
// Qt has no exception event of its own, so TStoreApplication catches what
// escapes an event handler (a slot, a timer, a key press) in notify and hands
// it to the handler there.

#include "UExceptGuard.h"

#include <cstdint>
#include <exception>
#include <string>

class QObject;

namespace tv {

// What the handler shows of one exception.
struct TExceptionReport {
    std::string Message;
    std::string ClassName;     // empty when the object is no exception class
    std::uintptr_t Address = 0; // where it was thrown, relative to its module; 0 unknown
};

// The report of a captured exception; null gives an empty report.
TExceptionReport DescribeException(const std::exception_ptr& exception);

// The box's text: the message and CR LF, then, for an exception object, its
// class name, " :" and the address as 8 or more upper-case hex digits.
std::string ExceptionBoxText(const TExceptionReport& report);

class TExceptHandler {
public:
    // Shows the exception under "Tarnovell - " + the "Execution error" text
    // with the stop icon and one button "OK", then returns. sender is the
    // object whose event handler threw, or null.
    void ApplicationException(QObject* sender, const std::exception_ptr& exception);
};

// The program's handler, living for the whole run.
extern TExceptHandler ExceptHandler;

// The program's application object: events whose handlers throw reach
// ExceptHandler, and the event counts as not handled.
class TStoreApplication : public TGuardedApplication {
public:
    TStoreApplication(int& argc, char** argv);

protected:
    void HandleException(QObject* receiver, const std::exception_ptr& exception) override;
};

} // namespace tv
