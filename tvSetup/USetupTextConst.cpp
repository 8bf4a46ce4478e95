#include "USetupTextConst.h"

namespace tv {

// Filled by the first language choice: the records are made by their own
// units' initialisation, whose order against this one is not fixed.
TSetupText SetupText;

void SetRusText() { SetupText = RusSetupText; }
void SetUkrText() { SetupText = UkrSetupText; }
void SetEngText() { SetupText = EngSetupText; }

void SetLangText(unsigned langCode)
{
    if (langCode == langRussian)
        SetRusText();
    else if (langCode == langUkrainian)
        SetUkrText();
    else
        SetEngText();
}

} // namespace tv
