#pragma once
// Errors that escape the wizard's event handlers are shown in the wizard's
// bottom label instead of a message box.

#include "UExceptGuard.h"

#include <exception>
#include <string>

namespace tv {

// The setup's handler, apart from the program's tv::TExceptHandler.
namespace setup {

class TExceptHandler {
public:
    // The error's message, then " (", its class name, " :", the error's
    // address as at least eight upper-case hexadecimal digits and ")".
    static std::string ErrorText(const std::exception& error);
    // Shows ErrorText in LbComplete of MainFormSetup; nothing else.
    void ApplicationException(QObject* sender, const std::exception& error);
};

extern TExceptHandler ExceptHandler;

} // namespace setup

// The setup program's application: an exception thrown while an event is
// handled goes to setup::ExceptHandler and the event counts as not handled.
// Only standard exceptions are shown; any other leaves notify as before.
class TSetupApplication : public TGuardedApplication {
public:
    TSetupApplication(int& argc, char** argv);

protected:
    void HandleException(QObject* receiver, const std::exception_ptr& exception) override;
};

} // namespace tv
