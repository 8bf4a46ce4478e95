#pragma once
// Language codes as both programs store them in [Language] ProgLang.

#include <array>
#include <string_view>

namespace tv {

// Index 0 Russian, 1 Ukrainian, 2 English.
inline constexpr std::array<std::string_view, 3> LangCodes{"RUS", "UKR", "ENG"};

} // namespace tv
