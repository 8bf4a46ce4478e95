#pragma once
// The boxes the stock book shows the user.

#include <string>

namespace tv {

// A box with the one button "OK" and the given icon (MB_ICON...).
void ShowOneButton(const std::string& text, const std::string& caption, int icon);

} // namespace tv
