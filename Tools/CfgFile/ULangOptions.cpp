#include "ULangOptions.h"

#include "UException.h"
#include "USetupNames.h"
#include "UTextUtils.h"

namespace tv {

TLangOptions::TLangOptions(const std::string& fileName)
    : TCfgOptions(fileName),
      FTestDate(std::make_unique<TStringParam>(this, "Updates", "TestDate")),
      FLastVersion(std::make_unique<TStringParam>(this, "Updates", "LastVersion")),
      FProgLang(std::make_unique<TStringParam>(this, "Language", "ProgLang")),
      FEnhanced(std::make_unique<TCardinalParam>(this, "Keyboard", "Enhanced"))
{
}

TLangOptions::~TLangOptions() = default;

void TLangOptions::SetTestDate(const std::string& text)
{
    const std::string value = TrimText(text);
    if (FTestDate->GetValue() != value)
        FTestDate->SetValue(value);
}

void TLangOptions::SetLastVersion(const std::string& text)
{
    const std::string value = TrimText(text);
    if (FLastVersion->GetValue() != value)
        FLastVersion->SetValue(value);
}

void TLangOptions::SetProgLang(unsigned code)
{
    if (code >= LangCodes.size())
        throw ERangeError();
    const std::string value(LangCodes[code]);
    if (FProgLang->GetValue() != value)
        FProgLang->SetValue(value);
}

void TLangOptions::SetEnhanced(unsigned mode)
{
    static constexpr uint32_t Numbers[] = {0, 1, 2, 1};
    if (mode >= std::size(Numbers))
        throw ERangeError();
    if (FEnhanced->GetValue() != Numbers[mode])
        FEnhanced->SetValue(Numbers[mode]);
}

void WriteLangCfg(const std::string& fileName, unsigned langCode, unsigned keyboardMode)
{
    TLangOptions options(fileName);
    options.SetTestDate("");
    options.SetLastVersion("");
    options.SetProgLang(langCode);
    options.SetEnhanced(keyboardMode);
}

} // namespace tv
