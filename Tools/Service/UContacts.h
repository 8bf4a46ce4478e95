#pragma once
// Handing a file, a web address or a mail to the desktop.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tv {

// Opens the file or address with the desktop's default handler; true when
// the desktop accepted it.
bool RunProgram(const std::string& fileOrAddress);

// RunProgram of the unscrambled bytes followed by suffix.
void OpenScrambledAddress(const std::uint8_t* bytes, std::size_t count, const std::string& suffix);

// Opens "mailto:<address>?subject=<subject>&body=<body>" with the
// unscrambled address and the subject and body passed through
// UrlEncodeText; true when the desktop accepted it.
bool SendMail(const std::uint8_t* address, std::size_t count, const std::string& subject,
              const std::string& body);

} // namespace tv
