#include "UTextConst.h"

#include "ULangTexts.h"
#include "UException.h"

namespace tv {

TTextTable TextTable;

bool TLangFormatSettings::operator==(const TLangFormatSettings& other) const {
    return DateSeparator == other.DateSeparator && TimeSeparator == other.TimeSeparator &&
           ShortDateFormat == other.ShortDateFormat && LongTimeFormat == other.LongTimeFormat &&
           LongMonthNames == other.LongMonthNames;
}

const std::string& TTextTable::operator[](TTextSlot slot) const {
    if (slot < 0 || slot >= TextSlotCount) throw ERangeError();
    return FSlots[static_cast<std::size_t>(slot)];
}

void TTextTable::Load(const TLangTexts& texts) {
    for (auto& slot : FSlots) slot.clear();
    for (const TSlotText& row : texts.Slots) {
        TV_ASSERT(row.Slot >= 0 && row.Slot < TextSlotCount, "Text slot out of range");
        FSlots[static_cast<std::size_t>(row.Slot)] = row.Text;
    }
    LangFormatSettings = TLangFormatSettings{};
    LangFormatSettings.DateSeparator = texts.DateSeparator;
    LangFormatSettings.TimeSeparator = texts.TimeSeparator;
    LangFormatSettings.ShortDateFormat = texts.ShortDateFormat;
    for (std::size_t i = 0; i < texts.MonthNames.size(); ++i)
        LangFormatSettings.LongMonthNames[i] = texts.MonthNames[i];
    for (std::size_t i = 0; i < texts.ModeNames.size(); ++i) ModeNames[i] = texts.ModeNames[i];
    SiteAddressBytes.assign(texts.SiteAddressBytes.begin(), texts.SiteAddressBytes.end());
}

void LoadRussianTexts() { TextTable.Load(RusTexts); }
void LoadUkrainianTexts() { TextTable.Load(UkrTexts); }
void LoadEnglishTexts() { TextTable.Load(EngTexts); }

void LoadLanguageTexts(int language)
{
    TextTable.Load(language == 0 ? RusTexts : language == 1 ? UkrTexts : EngTexts);
}

std::string FormatDateTimeText(TDateTime value) {
    const TLangFormatSettings& fs = TextTable.LangFormatSettings;
    int year, month, day;
    if (!TryDecodeDate(value, year, month, day)) return FormatDateTime("", value, fs);
    return FormatDateTime(" dd ", value, fs) + fs.LongMonthNames[static_cast<std::size_t>(month - 1)] +
           FormatDateTime(" yyyy, hh:nn:ss ", value, fs);
}

} // namespace tv
