#include "UException.h"

namespace tv {

namespace {
std::string AssertionText(const std::string& message, const char* file, int line)
{
    return message + " (" + file + ", line " + std::to_string(line) + ")";
}
} // namespace

EAssertionFailed::EAssertionFailed(const std::string& message, const char* file, int line)
    : Exception(AssertionText(message, file, line), "EAssertionFailed"),
      FText(message), FFile(file), FLine(line) {}

void AssertionFailed(const std::string& message, const char* file, int line)
{
    throw EAssertionFailed(message, file, line);
}

} // namespace tv
