#include "UIniFile.h"

#include "UFileUtils.h"
#include "UTextUtils.h"

#include <sys/stat.h>

namespace tv {

namespace {

const char* const Utf8Bom = "\xEF\xBB\xBF";

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

} // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName))
{
    std::string data;
    if (!ReadWholeFile(FFileName, data)) {
        struct stat st {};
        FUnreadable = ::stat(FFileName.c_str(), &st) == 0;
        return;
    }
    if (data.rfind(Utf8Bom, 0) == 0)
        data.erase(0, 3);
    Section* current = nullptr;
    for (const std::string& raw : SplitLines(data)) {
        const std::string line = Trim(raw);
        if (line.empty())
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name = Trim(line.substr(1, line.size() - 2));
            current = nullptr;
            for (auto& s : FImage.Sections)
                if (AsciiSameText(s.Name, name))
                    current = &s;
            if (!current) {
                FImage.Sections.push_back(Section{name, {}});
                current = &FImage.Sections.back();
            }
            continue;
        }
        Line entry;
        const auto eq = raw.find('=');
        if (line.front() != ';' && eq != std::string::npos && !Trim(raw.substr(0, eq)).empty()) {
            entry.IsKey = true;
            entry.Key = Trim(raw.substr(0, eq));
            entry.Value = raw.substr(eq + 1);
        } else {
            entry.Value = raw;
        }
        (current ? current->Lines : FImage.Leading).push_back(std::move(entry));
    }
}

const TIniFile::Line* TIniFile::Find(const std::string& section, const std::string& key) const
{
    for (const auto& s : FImage.Sections) {
        if (!AsciiSameText(s.Name, section))
            continue;
        for (const auto& l : s.Lines)
            if (l.IsKey && AsciiSameText(l.Key, key))
                return &l;
    }
    return nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const
{
    const Line* l = Find(section, key);
    return l ? l->Value : defaultValue;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const
{
    return Find(section, key) != nullptr;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& text)
{
    std::string value = text;
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    Section* target = nullptr;
    for (auto& s : FImage.Sections)
        if (AsciiSameText(s.Name, section)) {
            target = &s;
            break;
        }
    if (!target) {
        FImage.Sections.push_back(Section{section, {}});
        target = &FImage.Sections.back();
    }
    for (auto& l : target->Lines)
        if (l.IsKey && AsciiSameText(l.Key, key)) {
            l.Value = value;
            return;
        }
    target->Lines.push_back(Line{key, value, true});
}

std::string TIniFile::Text() const
{
    std::string out;
    auto put = [&out](const Line& l) { out += (l.IsKey ? l.Key + "=" + l.Value : l.Value) + "\r\n"; };
    for (const auto& l : FImage.Leading)
        put(l);
    for (const auto& s : FImage.Sections) {
        out += "[" + s.Name + "]\r\n";
        for (const auto& l : s.Lines)
            put(l);
        out += "\r\n";
    }
    // A first line that begins with the byte-order mark (a file that held it
    // twice) keeps it only behind a mark of its own: the reader drops one.
    if (out.rfind(Utf8Bom, 0) == 0)
        out.insert(0, Utf8Bom);
    return out;
}

bool TIniFile::UpdateFile() const
{
    if (FUnreadable)
        return false;
    return WriteFileAtomic(FFileName, Text());
}

} // namespace tv
