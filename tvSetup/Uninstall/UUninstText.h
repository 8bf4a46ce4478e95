#pragma once
// The uninstaller's own texts, beside the setup texts it shares.

#include <string>

namespace tv {

struct TUninstText {
    std::string AskRemove;  // "%1" stands for the folder
    std::string AskCfg;
    std::string Done;
    std::string Failed;     // followed by the files, one a line
};

// The texts of a stored language code; a code that names no language gives
// English.
const TUninstText& UninstText(unsigned langCode);

} // namespace tv
