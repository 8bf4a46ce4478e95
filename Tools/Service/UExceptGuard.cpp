#include "UExceptGuard.h"

#include "UException.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tv {

std::string TypeName(const std::type_info* type)
{
    if (!type) return std::string();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type->name(), nullptr, nullptr, &status),
                                                      &std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(type->name());
}

std::string ExceptionClassName(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->ClassName();
    return TypeName(&typeid(error));
}

std::string ClassAtAddress(const std::string& className, std::uintptr_t address)
{
    char digits[2 * sizeof(unsigned long long) + 1];
    std::snprintf(digits, sizeof digits, "%08llX", static_cast<unsigned long long>(address));
    return className + " :" + digits;
}

TGuardedApplication::TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(receiver, std::current_exception());
        return false;
    }
}

} // namespace tv
