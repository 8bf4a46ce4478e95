#pragma once
// The user's menu and desktop folders and the desktop entries (launchers)
// the setup program writes into them. Entries follow the freedesktop.org
// Desktop Entry rules: the program is started through Exec, quoted and
// escaped, with Path as its working folder; the file is marked executable,
// as desktops require before they start a launcher.

#include <string>

namespace tv {

inline constexpr const char* LinkExtension = ".desktop";

// Folder of the user's menu entries, $XDG_DATA_HOME/applications/ (or
// ~/.local/share/applications/); with create, made when missing. The path
// ends in '/'; "" when it cannot be found or made.
std::string GetProgramsFolder(bool create);
// The user's desktop folder as the user's folder settings name it (or
// ~/Desktop), likewise.
std::string GetDesktopFolder(bool create);

// The Exec value that starts the program with no arguments: its path quoted
// and escaped.
std::string ExecValue(const std::string& program);
// The program an Exec value starts (its first argument, unquoted); "" when
// the value is malformed.
std::string ExecProgram(const std::string& execValue);

// The entry's text: Name is the link name without its extension, Comment the
// description, Path the target's folder.
std::string DesktopEntryText(const std::string& target, const std::string& linkName,
                             const std::string& description, const std::string& icon);

// Writes the entry linkName into folder (folder ends in '/'); linkPath is
// set to folder + linkName also on failure. True when it was written.
bool CreateShellLink(const std::string& target, const std::string& linkName, const std::string& description,
                     const std::string& icon, std::string& linkPath, const std::string& folder);
// The same into the desktop folder (made when missing); false and an empty
// linkPath when there is none.
bool CreateDesktopLink(const std::string& target, const std::string& linkName, const std::string& description,
                       const std::string& icon, std::string& linkPath);
// The group folder GetProgramsFolder() + name + '/', made (one level) when
// missing; path is "" when even the menu folder is unknown. True when the
// group exists afterwards.
bool CreateProgramGroup(const std::string& name, std::string& path);

// Whether the entry file exists and starts the target.
bool LinkStarts(const std::string& linkFile, const std::string& target);

} // namespace tv
