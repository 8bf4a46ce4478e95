#pragma once
// The current interface language's texts, read by every form and message of
// the program. Exactly one language is loaded at a time.

#include "UDateTime.h"
#include "UTextSlots.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tv {

struct TLangTexts;

inline constexpr int ModeNameCount = 7;

// How a language writes dates: the loaders set the date and time separators,
// the short date format and the month names; the rest keeps its defaults.
// Pass it to DateToStr and the other routines of UDateTime.
struct TLangFormatSettings : TFormatSettings {
    std::array<std::string, 12> LongMonthNames; // January first

    bool operator==(const TLangFormatSettings& other) const;
};

class TTextTable {
public:
    // Text of a slot (empty for slots a language leaves out). A value
    // outside 0..TextSlotCount-1 raises ERangeError.
    const std::string& operator[](TTextSlot slot) const;

    // Overwrites every slot, the format settings, the mode names and the site
    // address with the language's own.
    void Load(const TLangTexts& texts);

    bool operator==(const TTextTable&) const = default;

    // Used for every date the program shows.
    TLangFormatSettings LangFormatSettings;
    // Caption of each store mode: 0 browse, 1 edit, 2 insert, 3 search,
    // 4 delete, 5 add, 6 deduct.
    std::array<std::string, ModeNameCount> ModeNames;
    // The maker's web address, scrambled; UnscrambleText gives the text.
    std::vector<std::uint8_t> SiteAddressBytes;

private:
    std::array<std::string, TextSlotCount> FSlots;
};

// The program's single text table; empty until a language is loaded.
extern TTextTable TextTable;

// Fill TextTable with one language. Slot 0 is the language's keyboard
// layout id ("00000419", "00000422", "00000409").
void LoadRussianTexts();
void LoadUkrainianTexts();
void LoadEnglishTexts();
// By language code: 0 Russian, 1 Ukrainian, any other English.
void LoadLanguageTexts(int language);

// " dd mmmm yyyy, hh:nn:ss " under TextTable's format settings (mmmm the
// long month name), with the leading and the trailing blank:
// " 09 December 2026, 08:47:36 ". A value without a date gives its number.
std::string FormatDateTimeText(TDateTime value);

} // namespace tv
