#pragma once
// The stock-keeping program's settings in its configuration file. Getters
// turn absent or unusable values into working defaults; every setter writes
// only when the value differs from the stored one, since each write rewrites
// the whole file.

#include <cstdint>
#include <memory>
#include <string>

#include "UDateTime.h"
#include "UPassword.h"
#include "USecurityOptions.h"
#include "USetupNames.h"

namespace tv {

// Key of the current user's registry that holds the password's fallback
// (the uninstall entry the setup program writes).
inline constexpr const char* ProgRegKeyName = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnovell";
inline constexpr const char* ProgCfgFileName = "tarnovell.cfg";

class TProgOptions : public TSecurityOptions {
public:
    TProgOptions(const std::string& fileName, const std::string& regKeyName);
    ~TProgOptions() override;

    // [Updates] TestDate: date of the last successful version check; 0.0
    // when never checked. Stored as DateToCardinal of the date.
    TDateTime GetTestDate();
    void SetTestDate(TDateTime value);
    // [Updates] LastVersion, trimmed.
    std::string GetLastVersion();
    void SetLastVersion(const std::string& value);

    // [MainForm] bounds of the main window; 0 when absent.
    int GetLeft();
    void SetLeft(int value);
    int GetTop();
    void SetTop(int value);
    int GetWidth();
    void SetWidth(int value);
    int GetHeight();
    void SetHeight(int value);

    // Column widths of the goods grid [GridStore] and the movements grid
    // [GridMoves]: a stored width below 11 (as a signed number) gives the
    // column's default.
    int GetStoreCodeWidth();
    void SetStoreCodeWidth(int value);
    int GetStoreNameWidth();
    void SetStoreNameWidth(int value);
    int GetStoreDateWidth();
    void SetStoreDateWidth(int value);
    int GetStoreCountPWidth();
    void SetStoreCountPWidth(int value);
    int GetStoreWeightWidth();
    void SetStoreWeightWidth(int value);
    int GetStoreCostWidth();
    void SetStoreCostWidth(int value);
    int GetStoreSumWidth();
    void SetStoreSumWidth(int value);
    int GetMovesDateWidth();
    void SetMovesDateWidth(int value);
    int GetMovesMoveWidth();
    void SetMovesMoveWidth(int value);
    int GetMovesWeightWidth();
    void SetMovesWeightWidth(int value);
    int GetMovesCountPWidth();
    void SetMovesCountPWidth(int value);
    int GetMovesSumWidth();
    void SetMovesSumWidth(int value);

    // [Paths] LastCopy: folder last used to save or restore a copy, trimmed.
    std::string GetLastCopy();
    void SetLastCopy(const std::string& value);

    // [Language] ProgLang: "RUS" Russian, "UKR" Ukrainian, anything else
    // English. SetLanguage raises ERangeError for a value outside TLanguage.
    TLanguage GetLanguage();
    void SetLanguage(TLanguage language);

    // [Keyboard] Enhanced: a full keyboard with a numeric pad when true.
    bool GetEnhanced();
    void SetEnhanced(bool value);

    // [Autogen] automatic goods codes: Enabled, Delta (added to the next
    // goods number) and Nuls (digit count, 0 gives 4); the last two are
    // changed only by editing the file.
    bool GetAutogenEnabled();
    void SetAutogenEnabled(bool value);
    uint32_t GetAutogenDelta();
    uint32_t GetAutogenNuls();

private:
    using PCardinal = std::unique_ptr<TCardinalParam>;
    using PString = std::unique_ptr<TStringParam>;

    PCardinal Number(const char* section, const char* key);
    PString Text(const char* section, const char* key);
    static void SetNumber(TCardinalParam& param, uint32_t value);
    static void SetTrimmed(TStringParam& param, const std::string& value);
    static int Width(TCardinalParam& param, int defaultWidth);

    PCardinal FTestDate;
    PString FLastVersion;
    PCardinal FLeft, FTop, FWidth, FHeight;
    PCardinal FStoreCodeWidth, FStoreNameWidth, FStoreDateWidth, FStoreCountPWidth,
        FStoreWeightWidth, FStoreCostWidth, FStoreSumWidth;
    PCardinal FMovesDateWidth, FMovesMoveWidth, FMovesWeightWidth, FMovesCountPWidth, FMovesSumWidth;
    PString FLastCopy;
    PString FProgLang;
    PCardinal FEnhanced;
    PCardinal FAutogenEnabled, FAutogenDelta, FAutogenNuls;
};

// The program's settings on ProgramFolder() + "tarnovell.cfg" with the
// registry key ProgRegKeyName; made at the first call, which must come after
// the program folder is settled, and freed at exit.
TProgOptions& ProgOptions();

// The program's password object on ProgOptions().
TPass& GlobalPass();

} // namespace tv
