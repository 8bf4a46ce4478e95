#include "UKeyboard.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>
#include <QString>

namespace tv {

namespace {

constexpr std::size_t MaxLayouts = 20;

std::string LanguageText(std::uint16_t languageId)
{
    return QString("%1").arg(languageId, 4, 16, QChar('0')).toUpper().toStdString();
}

std::string Upper(const std::string& text) { return QString::fromStdString(text).toUpper().toStdString(); }

} // namespace

bool ToggleNumLock()
{
    const std::optional<bool> state = NumLockState();
    return state.has_value() && SetNumLock(!*state);
}

bool NumLockOn()
{
    const std::optional<bool> state = NumLockState();
    if (!state.has_value()) return false;
    return *state || ToggleNumLock();
}

bool NumLockOff()
{
    const std::optional<bool> state = NumLockState();
    if (!state.has_value()) return false;
    return !*state || ToggleNumLock();
}

int FindKeyboardLayout(const std::vector<TKeyboardLayout>& layouts, const std::string& layoutId)
{
    const std::string id = Upper(layoutId);
    const std::size_t count = std::min(layouts.size(), MaxLayouts);
    for (std::size_t i = count; i-- > 0;) {
        if (layouts[i].LanguageId == 0) continue;
        if (id.find(LanguageText(layouts[i].LanguageId)) == 4) return static_cast<int>(i);
    }
    return -1;
}

bool SelectKeyboardLayout(const std::string& layoutId, bool activate)
{
    const std::vector<TKeyboardLayout> layouts = KeyboardLayouts();
    const int found = FindKeyboardLayout(layouts, layoutId);
    if (found < 0) return false;
    if (activate) ActivateKeyboardGroup(layouts[static_cast<std::size_t>(found)].Group);
    return true;
}

std::uint16_t ActiveKeyboardLanguageId()
{
    const std::optional<int> group = ActiveKeyboardGroup();
    if (!group.has_value()) return 0;
    for (const TKeyboardLayout& layout : KeyboardLayouts())
        if (layout.Group == *group) return layout.LanguageId;
    return 0;
}

bool LoadKeyboardLayoutActive(const std::string& layoutId)
{
    if (SelectKeyboardLayout(layoutId, true)) return true;
    if (layoutId.size() != 8) return false;
    bool isNumber = false;
    const unsigned language = QString::fromStdString(layoutId.substr(4)).toUInt(&isNumber, 16);
    if (!isNumber || language == 0) return false;
    return AddKeyboardLayout(LanguageLayout(static_cast<std::uint16_t>(language))) &&
           SelectKeyboardLayout(layoutId, true);
}

std::string KeyboardLanguageText()
{
    QString code;
    if (const std::uint16_t languageId = ActiveKeyboardLanguageId())
        code = QString::fromStdString(LanguageIsoName(languageId));
    if (code.isEmpty()) {
        const QLocale locale = QGuiApplication::inputMethod()->locale();
        code = QLocale::languageToCode(locale.language(), QLocale::ISO639Part1);
        if (code.isEmpty() || locale.language() == QLocale::C) code = QStringLiteral("en");
    }
    return code.toUpper().toStdString();
}

} // namespace tv
