#pragma once
// What the program and the setup share in showing an exception that escaped
// an event handler: how its class and address read, and an application that
// catches in notify. Each program keeps its own texts and its own display.

#include <QApplication>

#include <cstdint>
#include <exception>
#include <string>
#include <typeinfo>

namespace tv {

// The type's name as the source writes it ("std::runtime_error"); null gives "".
std::string TypeName(const std::type_info* type);

// The class name of an exception: an Exception's own class name, else the
// name of its type.
std::string ExceptionClassName(const std::exception& error);

// The class name, " :" and the address as 8 or more upper-case hex digits.
std::string ClassAtAddress(const std::string& className, std::uintptr_t address);

// An application whose events, when their handlers throw, go to
// HandleException and count as not handled.
class TGuardedApplication : public QApplication {
public:
    TGuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

protected:
    // Called while the exception is being caught; whatever this throws
    // leaves notify. receiver is the object whose event handler threw.
    virtual void HandleException(QObject* receiver, const std::exception_ptr& exception) = 0;
};

} // namespace tv
