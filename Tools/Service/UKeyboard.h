#pragma once
// NumLock switching and the choice of keyboard layout by language. Where
// the desktop's keyboard cannot be reached every call does nothing and
// answers false.

#include "UKeyboardLayouts.h"

#include <string>
#include <vector>

namespace tv {

// Switches NumLock over. False when the keyboard is not available.
bool ToggleNumLock();
// Switches NumLock on / off when it is not yet. False when not available.
bool NumLockOn();
bool NumLockOff();

// The index in layouts of the layout for a locale id text such as
// "00000419": the last one whose language identifier, as four hexadecimal
// digits, first occurs at the id's fifth character. -1 when none.
int FindKeyboardLayout(const std::vector<TKeyboardLayout>& layouts, const std::string& layoutId);

// Looks for the layout of the id among the first 20 layouts (as
// FindKeyboardLayout); when found and activate is true, makes it the active
// layout. True when found.
bool SelectKeyboardLayout(const std::string& layoutId, bool activate);

// Language identifier of the active layout; 0 when unknown or when the
// keyboard is not available.
std::uint16_t ActiveKeyboardLanguageId();

// Activates the keyboard's layout for the id, first adding the layout of
// its language to the keyboard when it has none; true when it is active.
bool LoadKeyboardLayoutActive(const std::string& layoutId);

// The two-letter code, in capitals, of the active keyboard layout's
// language; of the input method's language where the keyboard cannot be
// read, "EN" when that has none. Needs an application object.
std::string KeyboardLanguageText();

} // namespace tv
