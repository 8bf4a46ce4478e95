#pragma once
// The user's menu and desktop folders and the desktop entries (launchers)
// the setup program writes into them. Entries follow the freedesktop.org
// Desktop Entry rules: the program is started through Exec, quoted and
// escaped, with Path as its working folder; the file is marked executable,
// as desktops require before they start a launcher.

#include <string>
#include <vector>

namespace tv {

inline constexpr const char* LinkExtension = ".desktop";

// Folder of the user's menu entries, $XDG_DATA_HOME/applications/ (or
// ~/.local/share/applications/); with create, made when missing. The path
// ends in '/'; "" when it cannot be found or made.
std::string GetProgramsFolder(bool create);
// The user's desktop folder as the user's folder settings name it (or
// ~/Desktop), likewise.
std::string GetDesktopFolder(bool create);
// On failure errno tells why. The folders as the settings name them, whether
// they exist or not.
std::string ProgramsFolderName();
std::string DesktopFolderName();

// The Exec value that starts the program with no arguments: its path quoted
// and escaped.
std::string ExecValue(const std::string& program);
// The program an Exec value starts (its first argument, unquoted); "" when
// the value is malformed.
std::string ExecProgram(const std::string& execValue);

// The entry's text: Name is name or, when empty, the link name without its
// extension; Comment the description, Path the target's folder, and
// StartupWMClass the target's file name, the window class its windows get.
std::string DesktopEntryText(const std::string& target, const std::string& linkName,
                             const std::string& description, const std::string& icon,
                             const std::string& name = {});

// Writes the entry linkName into folder (folder ends in '/'); linkPath is
// set to folder + linkName also on failure. True when it was written.
bool CreateShellLink(const std::string& target, const std::string& linkName, const std::string& description,
                     const std::string& icon, std::string& linkPath, const std::string& folder,
                     const std::string& name = {});
// The same into the desktop folder (made when missing); false and an empty
// linkPath when there is none.
bool CreateDesktopLink(const std::string& target, const std::string& linkName, const std::string& description,
                       const std::string& icon, std::string& linkPath);
// The group folder GetProgramsFolder() + name + '/', made (one level) when
// missing; path is "" when even the menu folder is unknown. True when the
// group exists afterwards.
bool CreateProgramGroup(const std::string& name, std::string& path);

// The group as a submenu of the desktop's applications menu: a menu file
// merged into it ($XDG_CONFIG_HOME/menus/applications-merged/) that puts the
// group's entries into a submenu, and the submenu's directory entry
// ($XDG_DATA_HOME/desktop-directories/) with its name and icon.
inline constexpr const char* MenuFileName = "tarnovell.menu";
inline constexpr const char* MenuDirectoryName = "tarnovell.directory";
std::string MergedMenuFile();
std::string MenuDirectoryFile();
std::string MergedMenuText(const std::string& group, const std::vector<std::string>& linkNames);
std::string DirectoryEntryText(const std::string& name, const std::string& icon);
// Writes both; on failure failedFile names the file and errno tells why.
bool CreateGroupMenu(const std::string& group, const std::vector<std::string>& linkNames, const std::string& icon,
                     std::string& failedFile);
void RemoveGroupMenu();

// Whether the two paths name the same file once links are resolved (the
// file itself need not exist).
bool SamePath(const std::string& a, const std::string& b);

// Whether the entry file exists and starts the target.
bool LinkStarts(const std::string& linkFile, const std::string& target);

} // namespace tv
