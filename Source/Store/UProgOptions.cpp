#include "UProgOptions.h"

#include "UCardinalDate.h"
#include "UException.h"
#include "UProgFolder.h"
#include "USetupNames.h"
#include "UTextUtils.h"

namespace tv {

TProgOptions::TProgOptions(const std::string& fileName, const std::string& regKeyName)
    : TSecurityOptions(fileName, regKeyName),
      FTestDate(Number("Updates", "TestDate")),
      FLastVersion(Text("Updates", "LastVersion")),
      FLeft(Number("MainForm", "Left")),
      FTop(Number("MainForm", "Top")),
      FWidth(Number("MainForm", "Width")),
      FHeight(Number("MainForm", "Height")),
      FStoreCodeWidth(Number("GridStore", "CodeWidth")),
      FStoreNameWidth(Number("GridStore", "NameWidth")),
      FStoreDateWidth(Number("GridStore", "DateWidth")),
      FStoreCountPWidth(Number("GridStore", "CountPWidth")),
      FStoreWeightWidth(Number("GridStore", "WeightWidth")),
      FStoreCostWidth(Number("GridStore", "CostWidth")),
      FStoreSumWidth(Number("GridStore", "SumWidth")),
      FMovesDateWidth(Number("GridMoves", "DateWidth")),
      FMovesMoveWidth(Number("GridMoves", "MoveWidth")),
      FMovesWeightWidth(Number("GridMoves", "WeightWidth")),
      FMovesCountPWidth(Number("GridMoves", "CountPWidth")),
      FMovesSumWidth(Number("GridMoves", "SumWidth")),
      FLastCopy(Text("Paths", "LastCopy")),
      FProgLang(Text("Language", "ProgLang")),
      FEnhanced(Number("Keyboard", "Enhanced")),
      FAutogenEnabled(Number("Autogen", "Enabled")),
      FAutogenDelta(Number("Autogen", "Delta")),
      FAutogenNuls(Number("Autogen", "Nuls"))
{
}

TProgOptions::~TProgOptions() = default;

TProgOptions::PCardinal TProgOptions::Number(const char* section, const char* key)
{
    return std::make_unique<TCardinalParam>(this, section, key);
}

TProgOptions::PString TProgOptions::Text(const char* section, const char* key)
{
    return std::make_unique<TStringParam>(this, section, key);
}

void TProgOptions::SetNumber(TCardinalParam& param, uint32_t value)
{
    if (param.GetValue() != value)
        param.SetValue(value);
}

void TProgOptions::SetTrimmed(TStringParam& param, const std::string& value)
{
    const std::string trimmed = TrimText(value);
    if (param.GetValue() != trimmed)
        param.SetValue(trimmed);
}

int TProgOptions::Width(TCardinalParam& param, int defaultWidth)
{
    const auto value = static_cast<int32_t>(param.GetValue());
    return value >= 11 ? value : defaultWidth;
}

TDateTime TProgOptions::GetTestDate() { return CardinalToDate(FTestDate->GetValue()); }
void TProgOptions::SetTestDate(TDateTime value) { SetNumber(*FTestDate, DateToCardinal(value)); }
std::string TProgOptions::GetLastVersion() { return TrimText(FLastVersion->GetValue()); }
void TProgOptions::SetLastVersion(const std::string& value) { SetTrimmed(*FLastVersion, value); }

int TProgOptions::GetLeft() { return static_cast<int32_t>(FLeft->GetValue()); }
void TProgOptions::SetLeft(int value) { SetNumber(*FLeft, static_cast<uint32_t>(value)); }
int TProgOptions::GetTop() { return static_cast<int32_t>(FTop->GetValue()); }
void TProgOptions::SetTop(int value) { SetNumber(*FTop, static_cast<uint32_t>(value)); }
int TProgOptions::GetWidth() { return static_cast<int32_t>(FWidth->GetValue()); }
void TProgOptions::SetWidth(int value) { SetNumber(*FWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetHeight() { return static_cast<int32_t>(FHeight->GetValue()); }
void TProgOptions::SetHeight(int value) { SetNumber(*FHeight, static_cast<uint32_t>(value)); }

int TProgOptions::GetStoreCodeWidth() { return Width(*FStoreCodeWidth, 50); }
void TProgOptions::SetStoreCodeWidth(int value) { SetNumber(*FStoreCodeWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetStoreNameWidth() { return Width(*FStoreNameWidth, 150); }
void TProgOptions::SetStoreNameWidth(int value) { SetNumber(*FStoreNameWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetStoreDateWidth() { return Width(*FStoreDateWidth, 70); }
void TProgOptions::SetStoreDateWidth(int value) { SetNumber(*FStoreDateWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetStoreCountPWidth() { return Width(*FStoreCountPWidth, 45); }
void TProgOptions::SetStoreCountPWidth(int value) { SetNumber(*FStoreCountPWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetStoreWeightWidth() { return Width(*FStoreWeightWidth, 60); }
void TProgOptions::SetStoreWeightWidth(int value) { SetNumber(*FStoreWeightWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetStoreCostWidth() { return Width(*FStoreCostWidth, 60); }
void TProgOptions::SetStoreCostWidth(int value) { SetNumber(*FStoreCostWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetStoreSumWidth() { return Width(*FStoreSumWidth, 75); }
void TProgOptions::SetStoreSumWidth(int value) { SetNumber(*FStoreSumWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetMovesDateWidth() { return Width(*FMovesDateWidth, 65); }
void TProgOptions::SetMovesDateWidth(int value) { SetNumber(*FMovesDateWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetMovesMoveWidth() { return Width(*FMovesMoveWidth, 38); }
void TProgOptions::SetMovesMoveWidth(int value) { SetNumber(*FMovesMoveWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetMovesWeightWidth() { return Width(*FMovesWeightWidth, 42); }
void TProgOptions::SetMovesWeightWidth(int value) { SetNumber(*FMovesWeightWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetMovesCountPWidth() { return Width(*FMovesCountPWidth, 35); }
void TProgOptions::SetMovesCountPWidth(int value) { SetNumber(*FMovesCountPWidth, static_cast<uint32_t>(value)); }
int TProgOptions::GetMovesSumWidth() { return Width(*FMovesSumWidth, 65); }
void TProgOptions::SetMovesSumWidth(int value) { SetNumber(*FMovesSumWidth, static_cast<uint32_t>(value)); }

std::string TProgOptions::GetLastCopy() { return TrimText(FLastCopy->GetValue()); }
void TProgOptions::SetLastCopy(const std::string& value) { SetTrimmed(*FLastCopy, value); }

TLanguage TProgOptions::GetLanguage()
{
    const std::string code = TrimText(FProgLang->GetValue());
    for (TLanguage language : {langRussian, langUkrainian})
        if (code == LangCodes[static_cast<size_t>(language)])
            return language;
    return langEnglish;
}

void TProgOptions::SetLanguage(TLanguage language)
{
    if (language < langRussian || language > langEnglish)
        throw ERangeError();
    const std::string code(LangCodes[static_cast<size_t>(language)]);
    if (FProgLang->GetValue() != code)
        FProgLang->SetValue(code);
}

bool TProgOptions::GetEnhanced() { return FEnhanced->GetValue() != 0; }
void TProgOptions::SetEnhanced(bool value) { SetNumber(*FEnhanced, value ? 1 : 0); }
bool TProgOptions::GetAutogenEnabled() { return FAutogenEnabled->GetValue() != 0; }
void TProgOptions::SetAutogenEnabled(bool value) { SetNumber(*FAutogenEnabled, value ? 1 : 0); }
uint32_t TProgOptions::GetAutogenDelta() { return FAutogenDelta->GetValue(); }

uint32_t TProgOptions::GetAutogenNuls()
{
    const uint32_t nuls = FAutogenNuls->GetValue();
    return nuls == 0 ? 4 : nuls;
}

TProgOptions& ProgOptions()
{
    static TProgOptions options(ProgramFolder() + ProgCfgFileName, ProgRegKeyName);
    return options;
}

TPass& GlobalPass()
{
    static TPass pass(&ProgOptions());
    return pass;
}

} // namespace tv
