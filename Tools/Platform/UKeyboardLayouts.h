#pragma once
// The keyboard of the desktop: the NumLock state and the keyboard layouts.
// Reached through the X server's keyboard extension when the application
// runs on X11; on other platforms (offscreen, Wayland) or without an
// application object every call does nothing and reports so.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tv {

// One layout (keyboard group) of the keyboard.
struct TKeyboardLayout {
    int Group = 0;                 // 0-based group number
    std::string Name;              // layout code such as "us" or "ru"
    std::uint16_t LanguageId = 0;  // language identifier such as 0x0419, 0 when unknown
};

// Whether the keyboard can be read and changed here.
bool KeyboardAvailable();

// NumLock's locked state; empty when the keyboard is not available.
std::optional<bool> NumLockState();

// Locks or unlocks NumLock. False when the keyboard is not available.
bool SetNumLock(bool on);

// The layouts of the keyboard in group order; empty when not available.
std::vector<TKeyboardLayout> KeyboardLayouts();

// Makes the group the active layout. False when not available or there is
// no such group.
bool ActivateKeyboardGroup(int group);

// The group of the active layout; empty when the keyboard is not available.
std::optional<int> ActiveKeyboardGroup();

// The layouts named by a keyboard symbols description such as
// "pc+us+ru:2+inet(evdev)+group(alt_shift_toggle)": one per layout part,
// its group taken from ":n" or, for the first part without it, group 0.
std::vector<TKeyboardLayout> ParseKeyboardSymbols(const std::string& symbols);

// Language identifier of an X keyboard layout code, 0 when unknown.
std::uint16_t LayoutLanguageId(const std::string& layout);

// The X layout code for a language identifier ("us" for 0x0409, "ru" for
// 0x0419); empty when unknown.
std::string LanguageLayout(std::uint16_t languageId);

// Adds the layout (an X layout code such as "ua") to the keyboard as a
// further group, keeping its other layouts with their variants, its model
// and options (through the setxkbmap tool). True when the keyboard has the
// layout afterwards; false when not available, when the keyboard already
// has four groups or the change failed.
bool AddKeyboardLayout(const std::string& layout);

// Two-letter ISO 639 name, in lower case, of a language identifier such as
// 0x0419 ("ru") or 0x0422 ("uk"); empty when unknown.
std::string LanguageIsoName(std::uint16_t languageId);

} // namespace tv
