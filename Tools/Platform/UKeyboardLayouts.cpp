#include "UKeyboardLayouts.h"

#include <QGuiApplication>

#include <QProcess>
#include <QStandardPaths>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace tv {

namespace {

// An open connection to the X server with its keyboard extension.
class TXkbDisplay {
public:
    TXkbDisplay()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return;
        if (QGuiApplication::platformName() != "xcb") return;
        int major = XkbMajorVersion, minor = XkbMinorVersion, opcode = 0, event = 0, error = 0;
        if (!XkbLibraryVersion(&major, &minor)) return;
        FDisplay = XOpenDisplay(nullptr);
        if (FDisplay != nullptr && !XkbQueryExtension(FDisplay, &opcode, &event, &error, &major, &minor)) {
            XCloseDisplay(FDisplay);
            FDisplay = nullptr;
        }
    }
    ~TXkbDisplay()
    {
        if (FDisplay != nullptr) XCloseDisplay(FDisplay);
    }
    TXkbDisplay(const TXkbDisplay&) = delete;
    TXkbDisplay& operator=(const TXkbDisplay&) = delete;

    Display* Get() const { return FDisplay; }

private:
    Display* FDisplay = nullptr;
};

unsigned NumLockMask(Display* display) { return XkbKeysymToModifiers(display, XK_Num_Lock); }

std::string AtomName(Display* display, Atom atom)
{
    if (atom == None) return {};
    char* name = XGetAtomName(display, atom);
    if (name == nullptr) return {};
    std::string text = name;
    XFree(name);
    return text;
}

// Layout codes of the X keyboard and the language identifiers of their languages.
const std::map<std::string, std::uint16_t>& LayoutLanguages()
{
    static const std::map<std::string, std::uint16_t> languages{
        {"us", 0x0409}, {"gb", 0x0809}, {"ru", 0x0419}, {"ua", 0x0422}, {"by", 0x0423}, {"de", 0x0407},
        {"fr", 0x040C}, {"it", 0x0410}, {"es", 0x0C0A}, {"pt", 0x0816}, {"br", 0x0416}, {"pl", 0x0415},
        {"cz", 0x0405}, {"sk", 0x041B}, {"hu", 0x040E}, {"ro", 0x0418}, {"bg", 0x0402}, {"rs", 0x0C1A},
        {"lt", 0x0427}, {"lv", 0x0426}, {"ee", 0x0425}, {"fi", 0x040B}, {"se", 0x041D}, {"no", 0x0414},
        {"dk", 0x0406}, {"nl", 0x0413}, {"be", 0x080C}, {"ch", 0x0807}, {"at", 0x0C07}, {"gr", 0x0408},
        {"tr", 0x041F}, {"il", 0x040D}, {"ge", 0x0437}, {"am", 0x042B}, {"az", 0x042C}, {"kz", 0x043F},
        {"md", 0x0418}, {"jp", 0x0411}, {"cn", 0x0804}, {"kr", 0x0412}};
    return languages;
}

// The layouts and variants of the keyboard's rules names, as comma lists.
bool RulesNames(Display* display, std::string& layouts, std::string& variants)
{
    const Atom names = XInternAtom(display, "_XKB_RULES_NAMES", True);
    if (names == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), names, 0, 1024, False, XA_STRING, &type, &format,
                           &count, &after, &data) != Success || data == nullptr)
        return false;
    // rules, model, layouts, variants and options, each ended by a zero byte
    std::vector<std::string> parts;
    std::string part;
    for (unsigned long i = 0; i < count; ++i) {
        if (data[i] == 0) {
            parts.push_back(part);
            part.clear();
        } else {
            part += static_cast<char>(data[i]);
        }
    }
    parts.push_back(part);
    XFree(data);
    if (parts.size() < 3 || parts[2].empty()) return false;
    layouts = parts[2];
    variants = parts.size() > 3 ? parts[3] : std::string();
    return true;
}

} // namespace

bool KeyboardAvailable() { return TXkbDisplay().Get() != nullptr; }

std::optional<bool> NumLockState()
{
    TXkbDisplay display;
    if (display.Get() == nullptr) return std::nullopt;
    XkbStateRec state{};
    if (XkbGetState(display.Get(), XkbUseCoreKbd, &state) != Success) return std::nullopt;
    const unsigned mask = NumLockMask(display.Get());
    return mask != 0 && (state.locked_mods & mask) != 0;
}

bool SetNumLock(bool on)
{
    TXkbDisplay display;
    if (display.Get() == nullptr) return false;
    const unsigned mask = NumLockMask(display.Get());
    if (mask == 0) return false;
    const bool done = XkbLockModifiers(display.Get(), XkbUseCoreKbd, mask, on ? mask : 0);
    XSync(display.Get(), False);
    return done;
}

std::vector<TKeyboardLayout> KeyboardLayouts()
{
    TXkbDisplay display;
    if (display.Get() == nullptr) return {};
    XkbDescPtr keyboard = XkbAllocKeyboard();
    if (keyboard == nullptr) return {};
    std::vector<TKeyboardLayout> layouts;
    if (XkbGetNames(display.Get(), XkbSymbolsNameMask, keyboard) == Success && keyboard->names != nullptr)
        layouts = ParseKeyboardSymbols(AtomName(display.Get(), keyboard->names->symbols));
    XkbFreeKeyboard(keyboard, 0, True);
    return layouts;
}

bool ActivateKeyboardGroup(int group)
{
    const std::vector<TKeyboardLayout> layouts = KeyboardLayouts();
    const bool known = std::any_of(layouts.begin(), layouts.end(), [group](const TKeyboardLayout& l) { return l.Group == group; });
    if (!known) return false;
    TXkbDisplay display;
    if (display.Get() == nullptr) return false;
    const bool done = XkbLockGroup(display.Get(), XkbUseCoreKbd, static_cast<unsigned>(group));
    XSync(display.Get(), False);
    return done;
}

std::optional<int> ActiveKeyboardGroup()
{
    TXkbDisplay display;
    if (display.Get() == nullptr) return std::nullopt;
    XkbStateRec state{};
    if (XkbGetState(display.Get(), XkbUseCoreKbd, &state) != Success) return std::nullopt;
    return static_cast<int>(state.group);
}

std::vector<TKeyboardLayout> ParseKeyboardSymbols(const std::string& symbols)
{
    // Symbol parts that add keys or options rather than a layout.
    static const std::set<std::string> notLayouts{
        "pc", "inet", "group", "compose", "level3", "level5", "ctrl", "altwin", "capslock", "caps",
        "terminate", "keypad", "kpdl", "nbsp", "eurosign", "lv3", "shift", "srvr_ctrl", "japan",
        "korean", "rupeesign", "numpad", "evdev", "base", "complete", "empty", "typo", "grab"};
    std::vector<TKeyboardLayout> layouts;
    bool firstDone = false;
    std::size_t start = 0;
    while (start <= symbols.size()) {
        std::size_t end = symbols.find_first_of("+|", start);
        if (end == std::string::npos) end = symbols.size();
        std::string part = symbols.substr(start, end - start);
        start = end + 1;
        int group = -1;
        if (const std::size_t colon = part.find(':'); colon != std::string::npos) {
            group = std::atoi(part.c_str() + colon + 1) - 1;
            part.erase(colon);
        }
        if (const std::size_t paren = part.find('('); paren != std::string::npos) part.erase(paren);
        if (part.empty() || notLayouts.count(part) != 0) continue;
        if (group < 0) {
            if (firstDone) continue;
            group = 0;
        }
        if (group > 3) continue;
        firstDone = firstDone || group == 0;
        layouts.push_back({group, part, LayoutLanguageId(part)});
    }
    std::stable_sort(layouts.begin(), layouts.end(),
                     [](const TKeyboardLayout& a, const TKeyboardLayout& b) { return a.Group < b.Group; });
    return layouts;
}

std::uint16_t LayoutLanguageId(const std::string& layout)
{
    const auto& languages = LayoutLanguages();
    const auto it = languages.find(layout);
    return it == languages.end() ? 0 : it->second;
}

std::string LanguageLayout(std::uint16_t languageId)
{
    if (languageId == LayoutLanguageId("ro")) return "ro";  // not "md"
    for (const auto& [layout, language] : LayoutLanguages())
        if (language == languageId) return layout;
    return {};
}

bool AddKeyboardLayout(const std::string& layout)
{
    if (layout.empty() || layout.find_first_of(",+:() ") != std::string::npos) return false;
    std::string layouts, variants, displayName;
    {
        TXkbDisplay display;
        if (display.Get() == nullptr) return false;
        displayName = DisplayString(display.Get());
        if (!RulesNames(display.Get(), layouts, variants)) return false;
    }
    const std::vector<TKeyboardLayout> present = KeyboardLayouts();
    if (std::any_of(present.begin(), present.end(), [&layout](const TKeyboardLayout& l) { return l.Name == layout; }))
        return true;
    if (present.size() >= 4) return false;
    const std::size_t count = static_cast<std::size_t>(std::count(layouts.begin(), layouts.end(), ',')) + 1;
    while (static_cast<std::size_t>(std::count(variants.begin(), variants.end(), ',')) + 1 < count) variants += ',';
    const QString setter = QStandardPaths::findExecutable("setxkbmap");
    if (setter.isEmpty()) return false;
    QProcess process;
    process.start(setter, {"-display", QString::fromStdString(displayName), "-layout",
                           QString::fromStdString(layouts + "," + layout), "-variant",
                           QString::fromStdString(variants + ",")});
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return false;
    const std::vector<TKeyboardLayout> after = KeyboardLayouts();
    return std::any_of(after.begin(), after.end(), [&layout](const TKeyboardLayout& l) { return l.Name == layout; });
}

std::string LanguageIsoName(std::uint16_t languageId)
{
    // Serbo-Croatian sublanguages have names of their own.
    static const std::map<std::uint16_t, const char*> whole{
        {0x041A, "hr"}, {0x081A, "sr"}, {0x0C1A, "sr"}, {0x141A, "bs"}, {0x0414, "nb"}, {0x0814, "nn"}};
    static const std::map<std::uint16_t, const char*> primary{
        {0x02, "bg"}, {0x04, "zh"}, {0x05, "cs"}, {0x06, "da"}, {0x07, "de"}, {0x08, "el"}, {0x09, "en"},
        {0x0A, "es"}, {0x0B, "fi"}, {0x0C, "fr"}, {0x0D, "he"}, {0x0E, "hu"}, {0x10, "it"}, {0x11, "ja"},
        {0x12, "ko"}, {0x13, "nl"}, {0x15, "pl"}, {0x16, "pt"}, {0x18, "ro"}, {0x19, "ru"}, {0x1B, "sk"},
        {0x1D, "sv"}, {0x1F, "tr"}, {0x22, "uk"}, {0x23, "be"}, {0x25, "et"}, {0x26, "lv"}, {0x27, "lt"},
        {0x2B, "hy"}, {0x2C, "az"}, {0x37, "ka"}, {0x3F, "kk"}};
    if (const auto it = whole.find(languageId); it != whole.end()) return it->second;
    if (const auto it = primary.find(static_cast<std::uint16_t>(languageId & 0x3FF)); it != primary.end())
        return it->second;
    return {};
}

} // namespace tv
