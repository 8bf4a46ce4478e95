#include "UContacts.h"

#include "UShell.h"
#include "UStringUtils.h"

namespace tv {

bool RunProgram(const std::string& fileOrAddress) { return ShellOpen(fileOrAddress); }

void OpenScrambledAddress(const std::uint8_t* bytes, std::size_t count, const std::string& suffix)
{
    std::string address = UnscrambleText(bytes, count) + suffix;
    RunProgram(address);
    address.assign(address.size(), '\0');
}

bool SendMail(const std::uint8_t* address, std::size_t count, const std::string& subject,
              const std::string& body)
{
    const std::string text = "mailto:" + UnscrambleText(address, count) + "?subject=" + UrlEncodeText(subject) +
                             "&body=" + UrlEncodeText(body);
    return RunProgram(text);
}

} // namespace tv
