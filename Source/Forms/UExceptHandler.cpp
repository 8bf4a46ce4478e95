#include "UExceptHandler.h"

#include "UExceptGuard.h"
#include "UMessages.h"
#include "UStoreMessages.h"
#include "UTextConst.h"
#include "UThrowSites.h"

#include <cxxabi.h>

#include <typeinfo>

namespace tv {

TExceptionReport DescribeException(const std::exception_ptr& exception)
{
    TExceptionReport report;
    if (!exception) return report;
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        report.Message = e.what();
        report.ClassName = ExceptionClassName(e);
        report.Address = ThrowAddress(&e, nullptr);
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        report.ClassName = TypeName(type);
        report.Address = ThrowAddress(nullptr, type);
    }
    return report;
}

std::string ExceptionBoxText(const TExceptionReport& report)
{
    std::string text = report.Message + "\r\n";
    if (!report.ClassName.empty()) text += ClassAtAddress(report.ClassName, report.Address);
    return text;
}

TExceptHandler ExceptHandler;

void TExceptHandler::ApplicationException(QObject* /*sender*/, const std::exception_ptr& exception)
{
    ShowOneButton(ExceptionBoxText(DescribeException(exception)), "Tarnovell - " + TextTable[SlotExecutionError],
                  MB_ICONSTOP);
}

TStoreApplication::TStoreApplication(int& argc, char** argv) : TGuardedApplication(argc, argv) {}

void TStoreApplication::HandleException(QObject* receiver, const std::exception_ptr& exception)
{
    ExceptHandler.ApplicationException(receiver, exception);
}

} // namespace tv
