#include "UExceptions.h"

#include "UQtText.h"
#include "USetupMainForm.h"

#include <QLabel>

#include <cstdint>

namespace tv {

namespace setup {

TExceptHandler ExceptHandler;

std::string TExceptHandler::ErrorText(const std::exception& error)
{
    return std::string(error.what()) + " (" +
           ClassAtAddress(ExceptionClassName(error), reinterpret_cast<std::uintptr_t>(&error)) + ")";
}

void TExceptHandler::ApplicationException(QObject*, const std::exception& error)
{
    if (MainFormSetup != nullptr)
        MainFormSetup->LbComplete->setText(ToQ(ErrorText(error)));
}

} // namespace setup

TSetupApplication::TSetupApplication(int& argc, char** argv) : TGuardedApplication(argc, argv) {}

void TSetupApplication::HandleException(QObject* receiver, const std::exception_ptr& exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& error) {
        setup::ExceptHandler.ApplicationException(receiver, error);
    }
}

} // namespace tv
