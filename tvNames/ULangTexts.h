#pragma once
// The compiled-in texts of the three interface languages, one unit each.

#include <array>
#include <cstdint>
#include <span>

namespace tv {

// One text of the table: its slot number and its UTF-8 text.
struct TSlotText {
    int Slot;
    const char* Text;
};

// Everything one language puts into the text table. Slots that have no row
// stay empty.
struct TLangTexts {
    std::span<const TSlotText> Slots;
    char DateSeparator;
    char TimeSeparator;
    const char* ShortDateFormat;
    std::array<const char*, 12> MonthNames;  // January first, as after a day number
    std::array<const char*, 7> ModeNames;    // index = store mode
    std::span<const std::uint8_t> SiteAddressBytes; // scrambled web address
};

extern const TLangTexts RusTexts;
extern const TLangTexts UkrTexts;
extern const TLangTexts EngTexts;

} // namespace tv
