#include "UExceptHandler.h"

#include "UExceptGuard.h"
#include "UMessages.h"
#include "UStoreMessages.h"
#include "UTextConst.h"

#include <cxxabi.h>
#include <dlfcn.h>

#include <array>
#include <cstdlib>
#include <typeinfo>

namespace tv {

namespace {

// The last throws of this thread: which object, of which type, from where.
struct TThrowSite {
    const void* Object = nullptr;
    const std::type_info* Type = nullptr;
    std::uintptr_t Address = 0;
};

constexpr std::size_t ThrowSiteCount = 8;
thread_local std::array<TThrowSite, ThrowSiteCount> ThrowSites;
thread_local std::size_t NextThrowSite = 0;

void RecordThrow(const void* object, const std::type_info* type, std::uintptr_t address)
{
    ThrowSites[NextThrowSite] = {object, type, address};
    NextThrowSite = (NextThrowSite + 1) % ThrowSiteCount;
}

// The throw address of the object (or, when it cannot be compared, of the
// newest throw of that type), relative to the module holding the code.
std::uintptr_t ThrowAddress(const void* object, const std::type_info* type)
{
    for (std::size_t i = 0; i < ThrowSiteCount; ++i) {
        const TThrowSite& site = ThrowSites[(NextThrowSite + ThrowSiteCount - 1 - i) % ThrowSiteCount];
        const bool same = object ? site.Object == object : (type && site.Type && *site.Type == *type);
        if (!same || site.Address == 0) continue;
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(site.Address), &info) && info.dli_fbase)
            return site.Address - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
        return site.Address;
    }
    return 0;
}

} // namespace

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

// Every throw of the process passes here first, so that the handler can name
// the place an exception came from; then the runtime's own throw goes on.
namespace __cxxabiv1 {
extern "C" void __cxa_throw(void* object, std::type_info* type, void (*destructor)(void*))
{
    using TThrow = void (*)(void*, std::type_info*, void (*)(void*));
    static const auto realThrow = reinterpret_cast<TThrow>(dlsym(RTLD_NEXT, "__cxa_throw"));
    if (!realThrow) std::abort();
    tv::RecordThrow(object, type, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
    realThrow(object, type, destructor);
    std::abort();
}
} // namespace __cxxabiv1
