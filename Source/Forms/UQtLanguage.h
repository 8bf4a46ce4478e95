#pragma once
// The texts that Qt's own dialogs and buttons show (file and folder dialogs,
// printer dialogs, standard buttons) in the program's interface language
// rather than the system's.

#include "USetupNames.h"

namespace tv {

// Installs Qt's translations of the language (English needs none) in place of those installed by
// an earlier call. Translations that cannot be found leave Qt's English.
// GUI thread, with an application object.
void ApplyQtTranslations(TLanguage language);

} // namespace tv
