#include "UDeskLink.h"

#include "UCarried.h"
#include "UFileUtils.h"

#include <QDir>
#include <QStandardPaths>

#include <sstream>

namespace tv {

namespace {

std::string SpecialFolder(QStandardPaths::StandardLocation location, bool create)
{
    const QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty())
        return {};
    if (create && !QDir().mkpath(path))
        return {};
    if (!QFileInfo(path).isDir())
        return {};
    std::string folder = path.toStdString();
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

// Escapes of a string value; applied after the quoting of Exec.
std::string EscapeValue(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
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

std::string FolderOf(const std::string& file)
{
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

} // namespace

std::string GetProgramsFolder(bool create) { return SpecialFolder(QStandardPaths::ApplicationsLocation, create); }

std::string GetDesktopFolder(bool create) { return SpecialFolder(QStandardPaths::DesktopLocation, create); }

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
                             const std::string& description, const std::string& icon)
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.0\n"
                       "Name=" + EscapeValue(StripExtension(linkName)) + "\n";
    if (!description.empty())
        text += "Comment=" + EscapeValue(description) + "\n";
    text += "Exec=" + ExecValue(target) + "\n";
    text += "Path=" + EscapeValue(FolderOf(target)) + "\n";
    if (!icon.empty())
        text += "Icon=" + EscapeValue(icon) + "\n";
    text += "Terminal=false\n"
            "Categories=Office;\n";
    return text;
}

bool CreateShellLink(const std::string& target, const std::string& linkName, const std::string& description,
                     const std::string& icon, std::string& linkPath, const std::string& folder)
{
    linkPath = folder.empty() || folder.back() == '/' ? folder + linkName : folder + "/" + linkName;
    return WriteInstalledFile(linkPath, DesktopEntryText(target, linkName, description, icon), true);
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
    QDir().mkdir(QString::fromStdString(path));
    return QFileInfo(QString::fromStdString(path)).isDir();
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
            return ExecProgram(line.substr(5)) == target;
    }
    return false;
}

} // namespace tv
