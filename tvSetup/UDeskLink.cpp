#include "UDeskLink.h"

#include "UCarried.h"
#include "UFileUtils.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tv {

namespace {

std::string SpecialFolder(QStandardPaths::StandardLocation location, bool create)
{
    const std::string path = QStandardPaths::writableLocation(location).toStdString();
    if (path.empty()) {
        errno = ENOENT;
        return {};
    }
    std::error_code ec;
    if (create)
        std::filesystem::create_directories(path, ec);
    if (!ec && !std::filesystem::is_directory(path, ec) && !ec)
        ec = std::make_error_code(std::errc::not_a_directory);
    if (ec) {
        errno = ec.value();
        return {};
    }
    return path.back() == '/' ? path : path + '/';
}

// The text with each character the table names replaced by its escape.
std::string Escaped(const std::string& text, std::initializer_list<std::pair<char, const char*>> escapes)
{
    std::string out;
    for (const char c : text) {
        const auto escape =
            std::find_if(escapes.begin(), escapes.end(), [c](const auto& e) { return e.first == c; });
        if (escape == escapes.end())
            out += c;
        else
            out += escape->second;
    }
    return out;
}

// Escapes of a string value; applied after the quoting of Exec.
std::string EscapeValue(const std::string& text)
{
    std::string out = Escaped(text, {{'\\', "\\\\"}, {'\n', "\\n"}, {'\t', "\\t"}, {'\r', "\\r"}});
    if (!out.empty() && out.front() == ' ')
        out.replace(0, 1, "\\s");
    return out;
}

std::string UnescapeValue(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        default: out += text[i];
        }
    }
    return out;
}

std::string StripExtension(const std::string& linkName)
{
    const std::string ext = LinkExtension;
    if (linkName.size() > ext.size() && linkName.compare(linkName.size() - ext.size(), ext.size(), ext) == 0)
        return linkName.substr(0, linkName.size() - ext.size());
    return linkName;
}

std::string XmlText(const std::string& text) { return Escaped(text, {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}}); }

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FolderOf(const std::string& file)
{
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

} // namespace

std::string GetProgramsFolder(bool create) { return SpecialFolder(QStandardPaths::ApplicationsLocation, create); }

std::string GetDesktopFolder(bool create) { return SpecialFolder(QStandardPaths::DesktopLocation, create); }

std::string ProgramsFolderName() { return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation).toStdString(); }

std::string DesktopFolderName() { return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString(); }

std::string ExecValue(const std::string& program)
{
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return EscapeValue(quoted);
}

std::string ExecProgram(const std::string& execValue)
{
    const std::string text = UnescapeValue(execValue);
    std::string program;
    std::size_t i = 0;
    if (text.empty())
        return {};
    if (text[0] != '"') {
        while (i < text.size() && text[i] != ' ') {
            if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
                ++i;
            program += text[i++];
        }
        return program;
    }
    for (i = 1; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size())
            ++i;
        else if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
            ++i;
        program += text[i];
    }
    return i < text.size() ? program : std::string();
}

std::string DesktopEntryText(const std::string& target, const std::string& linkName,
                             const std::string& description, const std::string& icon, const std::string& name)
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.0\n"
                       "Name=" + EscapeValue(name.empty() ? StripExtension(linkName) : name) + "\n";
    if (!description.empty())
        text += "Comment=" + EscapeValue(description) + "\n";
    text += "Exec=" + ExecValue(target) + "\n";
    text += "Path=" + EscapeValue(FolderOf(target)) + "\n";
    if (!icon.empty())
        text += "Icon=" + EscapeValue(icon) + "\n";
    // No category: the menus that merge ours show the entries in the group's
    // submenu only, and the others among the programs of no category.
    text += "Terminal=false\n"
            "StartupWMClass=" + EscapeValue(target.substr(target.rfind('/') + 1)) + "\n";
    return text;
}

bool CreateShellLink(const std::string& target, const std::string& linkName, const std::string& description,
                     const std::string& icon, std::string& linkPath, const std::string& folder,
                     const std::string& name)
{
    linkPath = folder.empty() || folder.back() == '/' ? folder + linkName : folder + "/" + linkName;
    return WriteInstalledFile(linkPath, DesktopEntryText(target, linkName, description, icon, name), true);
}

bool CreateDesktopLink(const std::string& target, const std::string& linkName, const std::string& description,
                       const std::string& icon, std::string& linkPath)
{
    linkPath.clear();
    const std::string folder = GetDesktopFolder(true);
    if (folder.empty())
        return false;
    return CreateShellLink(target, linkName, description, icon, linkPath, folder);
}

bool CreateProgramGroup(const std::string& name, std::string& path)
{
    const std::string programs = GetProgramsFolder(true);
    path.clear();
    if (programs.empty())
        return false;
    path = programs + name + "/";
    if (::mkdir(path.c_str(), 0755) == 0)
        return true;
    const int error = errno;
    if (IsFolder(path))
        return true;
    errno = error;
    return false;
}

bool SamePath(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return a == b;
    std::error_code ec;
    const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ec);
    if (ec)
        return a == b;
    const std::filesystem::path cb = std::filesystem::weakly_canonical(b, ec);
    return ec ? a == b : ca == cb;
}

std::string MergedMenuFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/menus/applications-merged/" + MenuFileName;
}

std::string MenuDirectoryFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
           "/desktop-directories/" + MenuDirectoryName;
}

std::string MergedMenuText(const std::string& group, const std::vector<std::string>& linkNames)
{
    // Entries in a folder of the menu folder are known by "folder-name".
    std::string files;
    for (const std::string& link : linkNames)
        files += "      <Filename>" + XmlText(group + "-" + link) + "</Filename>\n";
    // Menu readers do not validate, so the file names no document type.
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Menu>\n"
           "  <Name>Applications</Name>\n"
           "  <Menu>\n"
           "    <Name>" + XmlText(group) + "</Name>\n"
           "    <Directory>" + MenuDirectoryName + "</Directory>\n"
           "    <Include>\n" + files + "    </Include>\n"
           "  </Menu>\n"
           "</Menu>\n";
}

std::string DirectoryEntryText(const std::string& name, const std::string& icon)
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Directory\n"
                       "Version=1.0\n"
                       "Name=" + EscapeValue(name) + "\n";
    if (!icon.empty())
        text += "Icon=" + EscapeValue(icon) + "\n";
    return text;
}

bool CreateGroupMenu(const std::string& group, const std::vector<std::string>& linkNames, const std::string& icon,
                     std::string& failedFile)
{
    const struct {
        std::string File;
        std::string Text;
    } files[] = {{MenuDirectoryFile(), DirectoryEntryText(group, icon)},
                 {MergedMenuFile(), MergedMenuText(group, linkNames)}};
    for (const auto& f : files) {
        failedFile = f.File;
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(f.File).parent_path(), ec);
        if (ec) {
            errno = ec.value();
            return false;
        }
        if (!WriteInstalledFile(f.File, f.Text, false))
            return false;
    }
    failedFile.clear();
    return true;
}

void RemoveGroupMenu()
{
    ::unlink(MergedMenuFile().c_str());
    ::unlink(MenuDirectoryFile().c_str());
}

bool LinkStarts(const std::string& linkFile, const std::string& target)
{
    std::string text;
    if (!ReadWholeFile(linkFile, text))
        return false;
    std::istringstream lines(text);
    std::string line;
    bool inEntry = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[')
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.rfind("Exec=", 0) == 0)
            return SamePath(ExecProgram(line.substr(5)), target);
    }
    return false;
}

} // namespace tv
