#pragma once
// Failures of the whole system are exceptions carrying a text and the
// name of their class, as the user interface shows them.

#include <stdexcept>
#include <string>

namespace tv {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message, const char* className = "Exception")
        : std::runtime_error(message), FClassName(className) {}

    std::string Message() const { return what(); }
    const std::string& ClassName() const { return FClassName; }

private:
    std::string FClassName;
};

// A signed or unsigned 32-bit result left its range.
class EIntOverflow : public Exception {
public:
    EIntOverflow() : Exception("Integer overflow", "EIntOverflow") {}
};

// An index outside an array.
class ERangeError : public Exception {
public:
    ERangeError() : Exception("Range check error", "ERangeError") {}
};

// A text or value that cannot be converted.
class EConvertError : public Exception {
public:
    explicit EConvertError(const std::string& message) : Exception(message, "EConvertError") {}
};

// Wrong use by a programmer: the message, the source file and the line.
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const std::string& message, const char* file, int line);

    const std::string& Text() const { return FText; }
    const std::string& File() const { return FFile; }
    int Line() const { return FLine; }

private:
    std::string FText;
    std::string FFile;
    int FLine;
};

[[noreturn]] void AssertionFailed(const std::string& message, const char* file, int line);

} // namespace tv

// Contract check: throws EAssertionFailed with the message, file and line.
#define TV_ASSERT(cond, message)                                   \
    do {                                                           \
        if (!(cond)) ::tv::AssertionFailed((message), __FILE__, __LINE__); \
    } while (0)
