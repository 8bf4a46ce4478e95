#pragma once
// The settings the setup program writes into the installed program's first
// configuration file. The file is updated, not replaced: keys it does not
// name stay as they were.

#include <cstdint>
#include <memory>

#include "UCfgParams.h"

namespace tv {

class TLangOptions : public TCfgOptions {
public:
    explicit TLangOptions(const std::string& fileName);
    ~TLangOptions() override;

    // Each setter writes only when the value differs from the stored one.
    // [Updates] TestDate := the trimmed text.
    void SetTestDate(const std::string& text);
    // [Updates] LastVersion := the trimmed text.
    void SetLastVersion(const std::string& text);
    // [Language] ProgLang := LangCodes[code]; a code above 2 raises ERangeError.
    void SetProgLang(unsigned code);
    // [Keyboard] Enhanced := {0, 1, 2, 1}[mode]; a mode above 3 raises ERangeError.
    void SetEnhanced(unsigned mode);

private:
    std::unique_ptr<TStringParam> FTestDate;
    std::unique_ptr<TStringParam> FLastVersion;
    std::unique_ptr<TStringParam> FProgLang;
    std::unique_ptr<TCardinalParam> FEnhanced;
};

// Empties TestDate and LastVersion, sets the language code and the keyboard
// mode, in this order, on the file. Failures to write are not reported; the
// caller checks that the file exists.
void WriteLangCfg(const std::string& fileName, unsigned langCode, unsigned keyboardMode);

} // namespace tv
