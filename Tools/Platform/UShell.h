#pragma once
// Handing files, addresses and programs to the desktop. Every request goes
// through one replaceable launcher, so that tests can record requests
// instead of starting a browser, a mail client or a program.

#include <functional>
#include <string>
#include <vector>

namespace tv {

struct TShellRequest {
    enum class TKind { Open, Start };
    TKind Kind = TKind::Open;
    std::string Target;                   // as the caller gave it
    std::string Url;                      // Open: the address the desktop is asked to open
    std::vector<std::string> Parameters;  // Start: the program's arguments
    std::string Folder;                   // Start: working folder, empty for the current one
};

// Carries out a request; true when the desktop accepted it.
using TShellLauncher = std::function<bool(const TShellRequest&)>;

// Replaces the launcher and returns the one before; an empty launcher puts
// back the desktop's (default handlers; programs started detached).
TShellLauncher SetShellLauncher(TShellLauncher launcher);

// Opens a file, folder or address with the desktop's default handler. A text
// with a scheme ("https:", "mailto:", "file:") is taken as an address, any
// other as a file path relative to the current folder. False for an empty
// text or when the desktop refused.
bool ShellOpen(const std::string& fileOrAddress);

// Starts a program (a path, or a name looked up in PATH) with its
// arguments, without waiting for it. False when it could not be started.
bool ShellStart(const std::string& program, const std::vector<std::string>& parameters,
                const std::string& folder = {});

} // namespace tv
