#pragma once
// The boxes the stock book shows the user.

#include <string>

namespace tv {

// A box with the one button "OK" and the given icon (MB_ICON...); the button's
// hint is the given one, or the usual hint for closing a message.
void ShowOneButton(const std::string& text, const std::string& caption, int icon);
void ShowOneButton(const std::string& text, const std::string& caption, int icon, const std::string& hint);

} // namespace tv
