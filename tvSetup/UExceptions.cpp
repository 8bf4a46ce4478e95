#include "UExceptions.h"

#include "UException.h"
#include "UMainForm.h"

#include <QLabel>

#include <cstdint>
#include <cstdio>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace tv {

TExceptHandler ExceptHandler;

namespace {

std::string ClassNameOf(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->ClassName();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(typeid(error).name());
}

} // namespace

std::string TExceptHandler::ErrorText(const std::exception& error)
{
    char address[32];
    std::snprintf(address, sizeof address, "%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&error)));
    return std::string(error.what()) + " (" + ClassNameOf(error) + " :" + address + ")";
}

void TExceptHandler::ApplicationException(QObject*, const std::exception& error)
{
    if (MainFormSetup != nullptr)
        MainFormSetup->LbComplete->setText(QString::fromStdString(ErrorText(error)));
}

TSetupApplication::TSetupApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TSetupApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ExceptHandler.ApplicationException(receiver, error);
        return false;
    }
}

} // namespace tv
