#include "URegistry.h"

#include "UFileUtils.h"
#include "UTextUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <filesystem>

namespace tv {

namespace {

struct RegValue {
    std::string Name;
    TRegDataType Type = TRegDataType::rdUnknown;
    std::vector<uint8_t> Data;
};

struct RegKey {
    std::string Path;
    std::vector<RegValue> Values;
    // Lines of the key's section that are no value this store reads (written
    // by hand or by a later version); they are written back as they were.
    std::vector<std::string> Unparsed;
};

// The store as read from its file; the root key has the empty path and is
// always present.
struct RegImage {
    std::vector<RegKey> Keys;
};

std::mutex& StoreLock()
{
    static std::mutex lock;
    return lock;
}

// a is b or lies below b.
bool IsAtOrBelow(const std::string& a, const std::string& b)
{
    if (b.empty())
        return true;
    if (a.size() < b.size() || !AsciiSameText(a.substr(0, b.size()), b))
        return false;
    return a.size() == b.size() || a[b.size()] == '\\';
}

std::string Canonical(const std::string& path)
{
    std::string out;
    size_t i = 0;
    while (i <= path.size()) {
        const size_t j = std::min(path.find('\\', i), path.size());
        if (j > i) {
            if (!out.empty())
                out += '\\';
            out.append(path, i, j - i);
        }
        i = j + 1;
    }
    return out;
}

std::string Escape(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at pos; pos ends after the closing quote.
bool Unescape(const std::string& line, size_t& pos, std::string& out)
{
    out.clear();
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= line.size())
            return false;
        const char e = line[pos++];
        switch (e) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 'x': {
            if (pos + 2 > line.size())
                return false;
            const int h = HexDigit(line[pos]), l = HexDigit(line[pos + 1]);
            if (h < 0 || l < 0)
                return false;
            out += static_cast<char>(h * 16 + l);
            pos += 2;
            break;
        }
        default: return false;
        }
    }
    return false;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& out)
{
    out.clear();
    if (text.empty())
        return true;
    size_t i = 0;
    for (;;) {
        if (i + 2 > text.size())
            return false;
        const int h = HexDigit(text[i]), l = HexDigit(text[i + 1]);
        if (h < 0 || l < 0)
            return false;
        out.push_back(static_cast<uint8_t>(h * 16 + l));
        i += 2;
        if (i == text.size())
            return true;
        if (text[i] != ',')
            return false;
        ++i;
    }
}

std::string HexBytes(const std::vector<uint8_t>& data)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0)
            out += ',';
        out += hex[data[i] >> 4];
        out += hex[data[i] & 15];
    }
    return out;
}

// One value line: "name"="text", "name"=dword:XXXXXXXX or "name"=hex:01,02.
bool ParseValue(const std::string& line, RegValue& value)
{
    size_t pos = 0;
    if (!Unescape(line, pos, value.Name) || pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    const std::string rest = line.substr(pos);
    if (!rest.empty() && rest[0] == '"') {
        std::string text;
        size_t p = 0;
        if (!Unescape(rest, p, text) || p != rest.size())
            return false;
        value.Type = TRegDataType::rdString;
        value.Data.assign(text.begin(), text.end());
        return true;
    }
    if (rest.rfind("dword:", 0) == 0) {
        const std::string digits = rest.substr(6);
        if (digits.size() != 8)
            return false;
        uint32_t v = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0)
                return false;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        value.Type = TRegDataType::rdInteger;
        value.Data = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                      static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
        return true;
    }
    if (rest.rfind("hex:", 0) == 0) {
        value.Type = TRegDataType::rdBinary;
        return ParseHexBytes(rest.substr(4), value.Data);
    }
    return false;
}

RegKey* FindKey(RegImage& image, const std::string& path)
{
    for (auto& key : image.Keys)
        if (AsciiSameText(key.Path, path))
            return &key;
    return nullptr;
}

const RegKey* FindKey(const RegImage& image, const std::string& path)
{
    return FindKey(const_cast<RegImage&>(image), path);
}

RegKey& AddKey(RegImage& image, const std::string& path)
{
    if (RegKey* key = FindKey(image, path))
        return *key;
    image.Keys.push_back(RegKey{path, {}, {}});
    return image.Keys.back();
}

// Reads the store; lines it cannot parse are kept with their key.
RegImage Load(const std::string& file)
{
    RegImage image;
    image.Keys.push_back(RegKey{});
    std::string data;
    if (!ReadWholeFile(file, data))
        return image;
    RegKey* current = &image.Keys.front();
    for (const std::string& line : SplitLines(data)) {
        if (line.empty())
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string path = Canonical(line.substr(1, line.size() - 2));
            // Parents of every key exist.
            for (size_t s = path.find('\\'); s != std::string::npos; s = path.find('\\', s + 1))
                AddKey(image, path.substr(0, s));
            current = &AddKey(image, path);
            continue;
        }
        RegValue value;
        if (!ParseValue(line, value)) {
            current->Unparsed.push_back(line);
            continue;
        }
        bool replaced = false;
        for (auto& v : current->Values)
            if (AsciiSameText(v.Name, value.Name)) {
                v = value;
                replaced = true;
            }
        if (!replaced)
            current->Values.push_back(std::move(value));
    }
    return image;
}

std::string Serialize(const RegImage& image)
{
    std::string out;
    for (const auto& key : image.Keys) {
        if (key.Path.empty() && key.Values.empty() && key.Unparsed.empty())
            continue;
        out += "[" + key.Path + "]\r\n";
        for (const auto& v : key.Values) {
            out += Escape(v.Name) + "=";
            switch (v.Type) {
            case TRegDataType::rdString:
                out += Escape(std::string(v.Data.begin(), v.Data.end()));
                break;
            case TRegDataType::rdInteger: {
                static const char hex[] = "0123456789ABCDEF";
                uint32_t n = 0;
                for (size_t b = 0; b < 4 && b < v.Data.size(); ++b)
                    n |= static_cast<uint32_t>(v.Data[b]) << (8 * b);
                out += "dword:";
                for (int s = 28; s >= 0; s -= 4)
                    out += hex[(n >> s) & 15];
                break;
            }
            default:
                out += "hex:" + HexBytes(v.Data);
            }
            out += "\r\n";
        }
        for (const std::string& line : key.Unparsed)
            out += line + "\r\n";
        out += "\r\n";
    }
    return out;
}

void Save(const std::string& file, const RegImage& image)
{
    // errno keeps the system's reason for the caller.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    if (ec)
        errno = ec.value();
    if (ec || !WriteFileAtomic(file, Serialize(image))) {
        const int error = errno;
        ERegistryException failure("Failed to write registry store " + file + ": " + std::strerror(error));
        errno = error;
        throw failure;
    }
}

const RegValue* FindValue(const RegImage& image, const std::string& path, const std::string& name)
{
    const RegKey* key = FindKey(image, path);
    if (!key)
        return nullptr;
    for (const auto& v : key->Values)
        if (AsciiSameText(v.Name, name))
            return &v;
    return nullptr;
}

} // namespace

TRegistry::TRegistry() : FStoreFile(DefaultStoreFile()) {}

TRegistry::TRegistry(std::string storeFile) : FStoreFile(std::move(storeFile)) {}

std::string TRegistry::DefaultStoreFile()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = "/tmp";
    if (base.empty() || base.back() != '/')
        base += '/';
    return base + "tarnovell/registry";
}

std::string TRegistry::Resolve(const std::string& key) const
{
    if (!key.empty() && key.front() == '\\')
        return Canonical(key);
    return Canonical(FCurrentPath + "\\" + key);
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    const std::string path = Resolve(key);
    std::lock_guard guard(StoreLock());
    RegImage image = Load(FStoreFile);
    if (const RegKey* found = FindKey(image, path)) {
        FCurrentPath = found->Path;
        return true;
    }
    if (!canCreate)
        return false;
    for (size_t s = path.find('\\'); s != std::string::npos; s = path.find('\\', s + 1))
        AddKey(image, path.substr(0, s));
    AddKey(image, path);
    Save(FStoreFile, image);
    FCurrentPath = path;
    return true;
}

void TRegistry::CloseKey()
{
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const std::string& key) const
{
    const std::string path = Resolve(key);
    std::lock_guard guard(StoreLock());
    return FindKey(Load(FStoreFile), path) != nullptr;
}

bool TRegistry::DeleteKey(const std::string& key)
{
    const std::string path = Resolve(key);
    if (path.empty())
        return false;
    std::lock_guard guard(StoreLock());
    RegImage image = Load(FStoreFile);
    if (!FindKey(image, path))
        return false;
    std::erase_if(image.Keys, [&](const RegKey& k) { return IsAtOrBelow(k.Path, path); });
    Save(FStoreFile, image);
    if (IsAtOrBelow(FCurrentPath, path))
        FCurrentPath.clear();
    return true;
}

bool TRegistry::KeyIsEmpty(const std::string& key) const
{
    const std::string path = Resolve(key);
    std::lock_guard guard(StoreLock());
    const RegImage image = Load(FStoreFile);
    const RegKey* found = FindKey(image, path);
    if (found == nullptr || !found->Values.empty() || !found->Unparsed.empty())
        return false;
    return std::none_of(image.Keys.begin(), image.Keys.end(), [&](const RegKey& k) {
        return k.Path.size() > path.size() && IsAtOrBelow(k.Path, path);
    });
}

bool TRegistry::ValueExists(const std::string& name) const
{
    std::lock_guard guard(StoreLock());
    return FindValue(Load(FStoreFile), FCurrentPath, name) != nullptr;
}

TRegDataType TRegistry::GetDataType(const std::string& name) const
{
    std::lock_guard guard(StoreLock());
    const RegImage image = Load(FStoreFile);
    const RegValue* v = FindValue(image, FCurrentPath, name);
    return v ? v->Type : TRegDataType::rdUnknown;
}

int TRegistry::GetDataSize(const std::string& name) const
{
    std::lock_guard guard(StoreLock());
    const RegImage image = Load(FStoreFile);
    const RegValue* v = FindValue(image, FCurrentPath, name);
    if (!v)
        return -1;
    // A string's size counts its terminating zero, as the system gives it.
    return static_cast<int>(v->Data.size()) + (v->Type == TRegDataType::rdString ? 1 : 0);
}

bool TRegistry::DeleteValue(const std::string& name)
{
    std::lock_guard guard(StoreLock());
    RegImage image = Load(FStoreFile);
    RegKey* key = FindKey(image, FCurrentPath);
    if (!key)
        return false;
    const auto removed = std::erase_if(key->Values, [&](const RegValue& v) { return AsciiSameText(v.Name, name); });
    if (removed == 0)
        return false;
    Save(FStoreFile, image);
    return true;
}

std::string TRegistry::ReadString(const std::string& name) const
{
    std::lock_guard guard(StoreLock());
    const RegImage image = Load(FStoreFile);
    const RegValue* v = FindValue(image, FCurrentPath, name);
    if (!v)
        return "";
    if (v->Type != TRegDataType::rdString)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return std::string(v->Data.begin(), v->Data.end());
}

int32_t TRegistry::ReadInteger(const std::string& name) const
{
    std::lock_guard guard(StoreLock());
    const RegImage image = Load(FStoreFile);
    const RegValue* v = FindValue(image, FCurrentPath, name);
    if (!v || v->Type != TRegDataType::rdInteger || v->Data.size() != 4)
        throw ERegistryException("Invalid data type for '" + name + "'");
    uint32_t n = 0;
    for (size_t b = 0; b < 4; ++b)
        n |= static_cast<uint32_t>(v->Data[b]) << (8 * b);
    return static_cast<int32_t>(n);
}

std::vector<uint8_t> TRegistry::ReadBinaryData(const std::string& name) const
{
    std::lock_guard guard(StoreLock());
    const RegImage image = Load(FStoreFile);
    const RegValue* v = FindValue(image, FCurrentPath, name);
    if (!v || v->Type != TRegDataType::rdBinary)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return v->Data;
}

void TRegistry::WriteValue(const std::string& name, TRegDataType type, const std::vector<uint8_t>& data)
{
    std::lock_guard guard(StoreLock());
    RegImage image = Load(FStoreFile);
    RegKey* key = FindKey(image, FCurrentPath);
    if (!key)
        throw ERegistryException("Failed to set data for '" + name + "'");
    bool replaced = false;
    for (auto& v : key->Values)
        if (AsciiSameText(v.Name, name)) {
            v.Type = type;
            v.Data = data;
            replaced = true;
            break;
        }
    if (!replaced)
        key->Values.push_back(RegValue{name, type, data});
    Save(FStoreFile, image);
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    WriteValue(name, TRegDataType::rdString, std::vector<uint8_t>(value.begin(), value.end()));
}

void TRegistry::WriteInteger(const std::string& name, int32_t value)
{
    const auto n = static_cast<uint32_t>(value);
    WriteValue(name, TRegDataType::rdInteger,
               {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)});
}

void TRegistry::WriteBinaryData(const std::string& name, const std::vector<uint8_t>& data)
{
    WriteValue(name, TRegDataType::rdBinary, data);
}

} // namespace tv
