#pragma once
// The texts that Qt's own dialogs and buttons show (file and folder dialogs,
// printer dialogs, standard buttons) in the program's interface language
// rather than the system's.

namespace tv {

// Installs Qt's translations of the language (0 Russian, 1 Ukrainian,
// anything else English, which needs none) in place of those installed by
// an earlier call. Translations that cannot be found leave Qt's English.
// GUI thread, with an application object.
void ApplyQtTranslations(int language);

} // namespace tv
