#pragma once
// The setup program's current language texts and the three language records.

#include "USetupNames.h"
#include "UTextIntface.h"

#include <array>
#include <cstddef>

namespace tv {

extern const TSetupText EngSetupText;
extern const TSetupText RusSetupText;
extern const TSetupText UkrSetupText;

// The current record; empty until a language is chosen.
extern TSetupText SetupText;

void SetRusText();
void SetUkrText();
void SetEngText();

// The languages in the order of the wizard's list.
inline constexpr std::array<TLanguage, 3> ComboLangCodes{langEnglish, langRussian, langUkrainian};

// The place of a language in the wizard's list.
constexpr int ComboLangIndex(TLanguage lang)
{
    std::size_t i = 0;
    while (i + 1 < ComboLangCodes.size() && ComboLangCodes[i] != lang)
        ++i;
    return static_cast<int>(i);
}

// Makes the record of a stored language code current; a code that names no
// language gives English.
void SetLangText(unsigned langCode);

} // namespace tv
