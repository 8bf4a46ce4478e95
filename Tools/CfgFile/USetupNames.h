#pragma once
// Language codes as both programs store them in [Language] ProgLang.

#include <array>
#include <string_view>

namespace tv {

// The languages by their stored numbers; LangCodes is indexed by them.
enum TLanguage : int { langRussian = 0, langUkrainian = 1, langEnglish = 2 };

inline constexpr std::array<std::string_view, 3> LangCodes{"RUS", "UKR", "ENG"};

} // namespace tv
