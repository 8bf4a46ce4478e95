#pragma once
// The setup program's current language texts and the three language records.

#include "UTextIntface.h"

#include <array>
#include <cstdint>

namespace tv {

extern const TSetupText EngSetupText;
extern const TSetupText RusSetupText;
extern const TSetupText UkrSetupText;

// The current record; empty until a language is chosen.
extern TSetupText SetupText;

void SetRusText();
void SetUkrText();
void SetEngText();

// Index of the wizard's language list (English, Russian, Ukrainian) to the
// language code (0 Russian, 1 Ukrainian, 2 English).
inline constexpr std::array<std::uint8_t, 3> ComboLangCodes{2, 0, 1};

// Makes the record of a language code current: 0 Russian, 1 Ukrainian,
// any other English.
void SetLangText(unsigned langCode);

} // namespace tv
