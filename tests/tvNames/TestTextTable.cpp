#include "UCodePage.h"
#include "ULangTexts.h"
#include "UTextConst.h"

#include "UException.h"
#include "UStringUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

namespace tv {
namespace {

struct Language {
    const char* name;
    void (*load)();
};

const std::vector<Language> Languages = {
    {"Russian", LoadRussianTexts},
    {"Ukrainian", LoadUkrainianTexts},
    {"English", LoadEnglishTexts},
};

TTextTable Loaded(void (*load)()) {
    load();
    return TextTable;
}

// Slots that some form or message shows; every other slot may stay empty.
const std::vector<TTextSlot> ShownSlots = [] {
    std::vector<TTextSlot> slots;
    auto range = [&](TTextSlot from, TTextSlot to) {
        for (int s = from; s <= to; ++s) slots.push_back(static_cast<TTextSlot>(s));
    };
    range(SlotLayoutId, SlotPasswordSaveFailed);
    slots.push_back(SlotVersionPrefix);
    range(SlotYes, SlotHelpAddress);
    range(SlotSupportSubject, SlotAboutCaption);
    range(SlotAboutCloseHint, SlotEnterOldPassword);
    range(SlotTotalsCaption, SlotHelpHint);
    range(SlotRusLangCaption, SlotLabelCost);
    range(SlotLabelMoves, SlotLabelPacks);
    range(SlotLabelSumTitle, SlotLabelQuantity);
    range(SlotRepairedOnOpen, SlotRestoredOpenFailed);
    return slots;
}();

const std::vector<TTextSlot> EmptySlots = {SlotLabelCostNote, SlotLabelPacksNote, SlotLabelQuantityNote};

TEST(TextTable, ShownSlotsAreFilledInEveryLanguage) {
    for (const auto& lang : Languages) {
        SCOPED_TRACE(lang.name);
        const TTextTable table = Loaded(lang.load);
        for (TTextSlot slot : ShownSlots) EXPECT_FALSE(table[slot].empty()) << "slot " << slot;
        for (TTextSlot slot : EmptySlots) EXPECT_TRUE(table[slot].empty()) << "slot " << slot;
    }
}

TEST(TextTable, LanguageDataHasNoStrayRows) {
    for (const TLangTexts* texts : {&RusTexts, &UkrTexts, &EngTexts}) {
        std::vector<int> seen(TextSlotCount, 0);
        for (const TSlotText& row : texts->Slots) {
            ASSERT_GE(row.Slot, 0);
            ASSERT_LT(row.Slot, TextSlotCount);
            EXPECT_EQ(++seen[static_cast<std::size_t>(row.Slot)], 1) << "slot " << row.Slot << " twice";
            ASSERT_NE(row.Text, nullptr);
        }
    }
}

// The format placeholders of a text in order (%s, %0:d, %-5.2f, ...).
std::vector<std::string> Placeholders(const std::string& text) {
    static const std::regex pattern(R"(%%|%(\d+:)?-?\d*(\.\d+)?[dDuUeEfFgGnNmMpPsSxX])");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

int CountOf(const std::string& text, const std::string& piece) {
    int n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
    return n;
}

// What a translation must keep of the English text: placeholders, line
// breaks (and whether the text starts or ends with one), blanks at its ends.
struct Shape {
    bool empty;
    std::vector<std::string> placeholders;
    int lineBreaks;
    bool startsWithBreak, endsWithBreak;
    bool leadingBlank, trailingBlank;
    bool operator==(const Shape&) const = default;
};

Shape ShapeOf(const std::string& t) {
    return {t.empty(),
            Placeholders(t),
            CountOf(t, "\r\n"),
            t.starts_with("\r\n"),
            t.ends_with("\r\n"),
            t.starts_with(' '),
            t.ends_with(' ')};
}

TEST(TextTable, TranslationsKeepPlaceholdersBreaksAndBlanks) {
    const TTextTable eng = Loaded(LoadEnglishTexts);
    for (const auto& lang : Languages) {
        SCOPED_TRACE(lang.name);
        const TTextTable table = Loaded(lang.load);
        for (int i = 0; i < TextSlotCount; ++i) {
            const auto slot = static_cast<TTextSlot>(i);
            const std::string& text = table[slot];
            EXPECT_TRUE(ShapeOf(text) == ShapeOf(eng[slot])) << "slot " << slot << ": " << text;
            EXPECT_TRUE(IsValidUtf8(text)) << "slot " << slot;
            // Line breaks are CR LF pairs only.
            EXPECT_EQ(CountOf(text, "\r"), CountOf(text, "\r\n")) << "slot " << slot;
            EXPECT_EQ(CountOf(text, "\n"), CountOf(text, "\r\n")) << "slot " << slot;
        }
    }
}

TEST(TextTable, TranslationsEndWithOneFullStop) {
    // The English password messages end with "..", an ellipsis with three.
    for (void (*load)() : {LoadRussianTexts, LoadUkrainianTexts}) {
        const TTextTable table = Loaded(load);
        for (int i = 0; i < TextSlotCount; ++i) {
            const std::string& text = table[static_cast<TTextSlot>(i)];
            EXPECT_FALSE(text.ends_with("..") && !text.ends_with("...")) << "slot " << i << ": " << text;
        }
    }
}

TEST(TextTable, PlaceholderCheckSeesDifferences) {
    // The comparison above is only as good as its parts.
    EXPECT_EQ(Placeholders("(page %0:d of %1:d)"), (std::vector<std::string>{"%0:d", "%1:d"}));
    EXPECT_EQ(Placeholders("a %s, %-5.2f and 100%%"), (std::vector<std::string>{"%s", "%-5.2f", "%%"}));
    EXPECT_FALSE(ShapeOf("Version ") == ShapeOf("Version"));
    EXPECT_FALSE(ShapeOf("a\r\nb") == ShapeOf("a b"));
    EXPECT_FALSE(ShapeOf("Remove\r\n") == ShapeOf("\r\nRemove"));
}

TEST(TextTable, TextsAsTheSystemWritesThem) {
    struct Case {
        void (*load)();
        TTextSlot slot;
        std::string text;
    };
    const std::vector<Case> cases = {
        {LoadEnglishTexts, SlotLayoutId, "00000409"},
        {LoadEnglishTexts, SlotStoreOpenFailed, "Warehouse database opening error!\r\nFiles are damaged or blocked by another software"},
        {LoadEnglishTexts, SlotBackupFailed, "An error occured while backuping\r\nwarehouse files!"},
        {LoadEnglishTexts, SlotTotalTooHigh, "Total sum for the warehouse is too high!\r\nThis software is designed for small-scale "
                               "business!\r\nand does not operate with sums higher than 42'000'000.00"},
        {LoadEnglishTexts, SlotRemoveQuestionStart, "Remove product\r\n"},
        {LoadEnglishTexts, SlotRemoveQuestionEnd, "\r\nfrom warehouse\r\nand it's movement information?"},
        {LoadEnglishTexts, SlotVersionPrefix, "Version "},
        {LoadEnglishTexts, SlotSupportSubject, "Support Service Apply (version %0:s, %1:s)"},
        {LoadEnglishTexts, SlotPageOf, "(page %0:d of %1:d)"},
        {LoadEnglishTexts, SlotAutogenHint, "Turn on automatical product code generation"},
        {LoadEnglishTexts, SlotDeleteHint, "Delete product and it's movement"},
        {LoadRussianTexts, SlotLayoutId, "00000419"},
        {LoadRussianTexts, SlotExecutionError, "ошибка выполнения"},
        {LoadRussianTexts, SlotMenuLangCaption, "Язык (Language)"},
        {LoadRussianTexts, SlotRusLangCaption, "Русский"},
        {LoadRussianTexts, SlotUkrLangCaption, "Українська"},
        {LoadRussianTexts, SlotEngLangCaption, "English"},
        {LoadEnglishTexts, SlotRepairCaption, "Data correction"},
        {LoadRussianTexts, SlotRepairCaption, "Исправление данных"},
        {LoadUkrainianTexts, SlotRepairCaption, "Виправлення даних"},
        {LoadRussianTexts, SlotNewPasswordMismatch, "Новый пароль и его повтор не совпадают."},
        {LoadRussianTexts, SlotSelectAllCaption, "Выделить всё"},
        {LoadRussianTexts, SlotMenuReportCaption, "Отчёты"},
        {LoadUkrainianTexts, SlotTotalTooHigh, "Загальна сума на складі завелика!\r\nПрограма призначена для малого "
                                              "бізнесу\r\nі не працює із сумами понад 42'000'000.00"},
        {LoadUkrainianTexts, SlotNewPasswordMismatch, "Новий пароль і його повтор не збігаються."},
        {LoadUkrainianTexts, SlotChooseBackupFolder, "Виберіть теку для резервної копії"},
        {LoadUkrainianTexts, SlotSendFailed, "Не вдалося надіслати повідомлення до служби підтримки!\r\n"
                                            "Можливо, у системі немає\r\nтипового поштового клієнта."},
        {LoadUkrainianTexts, SlotLayoutId, "00000422"},
        {LoadUkrainianTexts, SlotLayoutInstallCaption, "Встановлення української розкладки"},
        {LoadRussianTexts, SlotLayoutInstallCaption, "Установка русской раскладки клавиатуры"},
        {LoadUkrainianTexts, SlotMenuLangCaption, "Мова (Language)"},
        {LoadUkrainianTexts, SlotRusLangCaption, "Русский"},
        {LoadUkrainianTexts, SlotUkrLangCaption, "Українська"},
        {LoadUkrainianTexts, SlotEngLangCaption, "English"},
    };
    for (const auto& c : cases) {
        c.load();
        EXPECT_EQ(TextTable[c.slot], c.text) << "slot " << c.slot;
    }
}

TEST(TextTable, PlaceholderSlotsFormatInEveryLanguage) {
    struct Case {
        const char* name;
        void (*load)();
        std::string page, apply;
    };
    const std::vector<Case> cases = {
        {"English", LoadEnglishTexts, "(page 3 of 7)", "Support Service Apply (version 1.2.0.5, x)"},
        {"Russian", LoadRussianTexts, "(страница 3 из 7)", "Обращение в службу поддержки (версия 1.2.0.5, x)"},
        {"Ukrainian", LoadUkrainianTexts, "(сторінка 3 з 7)", "Звернення до служби підтримки (версія 1.2.0.5, x)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.load();
        EXPECT_EQ(FormatText(TextTable[SlotPageOf], {std::int64_t{3}, std::int64_t{7}}), c.page);
        EXPECT_EQ(FormatText(TextTable[SlotSupportSubject], {std::string("1.2.0.5"), std::string("x")}), c.apply);
    }
}

TEST(TextTable, ModeAndMonthNames) {
    struct Case {
        const char* name;
        void (*load)();
        std::string mode0, mode6, january, december;
    };
    const std::vector<Case> cases = {
        {"Russian", LoadRussianTexts, "Просмотр товара", "Отнимание товара со склада", "января", "декабря"},
        {"Ukrainian", LoadUkrainianTexts, "Перегляд товару", "Віднімання товару зі складу", "січня", "грудня"},
        {"English", LoadEnglishTexts, "Products review", "Subtract product from warehouse", "January", "December"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.load();
        EXPECT_EQ(TextTable.ModeNames[0], c.mode0);
        EXPECT_EQ(TextTable.ModeNames[6], c.mode6);
        EXPECT_EQ(TextTable.LangFormatSettings.LongMonthNames[0], c.january);
        EXPECT_EQ(TextTable.LangFormatSettings.LongMonthNames[11], c.december);
        for (const auto& mode : TextTable.ModeNames) EXPECT_FALSE(mode.empty());
        for (const auto& month : TextTable.LangFormatSettings.LongMonthNames) EXPECT_FALSE(month.empty());
    }
}

TEST(TextTable, SwitchingLanguageLeavesNothingOfThePrevious) {
    const TTextTable eng = Loaded(LoadEnglishTexts);
    const TTextTable rus = Loaded(LoadRussianTexts);
    const TTextTable ukr = Loaded(LoadUkrainianTexts);
    EXPECT_FALSE(eng == rus);
    EXPECT_FALSE(rus == ukr);

    const double lastOfYear = 46387.0; // 31 December 2026
    LoadRussianTexts();
    EXPECT_EQ(DateToStr(lastOfYear, TextTable.LangFormatSettings), "31.12.2026");
    LoadEnglishTexts();
    EXPECT_TRUE(TextTable == eng);
    EXPECT_EQ(TextTable.LangFormatSettings.DateSeparator, '/');
    EXPECT_EQ(DateToStr(lastOfYear, TextTable.LangFormatSettings), "12/31/2026");

    // Loading a language again gives the same table, in any order.
    LoadUkrainianTexts();
    LoadRussianTexts();
    EXPECT_TRUE(TextTable == rus);
    LoadRussianTexts();
    EXPECT_TRUE(TextTable == rus);
}

TEST(TextTable, LanguageCodeChoosesTheLoader) {
    const TTextTable rus = Loaded(LoadRussianTexts), ukr = Loaded(LoadUkrainianTexts), eng = Loaded(LoadEnglishTexts);
    struct Case {
        int code;
        const TTextTable* table;
    };
    for (const Case& c : {Case{0, &rus}, Case{1, &ukr}, Case{2, &eng}, Case{3, &eng}, Case{-1, &eng}}) {
        LoadLanguageTexts(c.code);
        EXPECT_TRUE(TextTable == *c.table) << "code " << c.code;
    }
}

TEST(TextTable, SlotOutsideTheTableIsARangeError) {
    LoadEnglishTexts();
    for (int slot : {-1, TextSlotCount, 1000})
        EXPECT_THROW(TextTable[static_cast<TTextSlot>(slot)], ERangeError) << slot;
    EXPECT_NO_THROW(TextTable[static_cast<TTextSlot>(TextSlotCount - 1)]);
}

TEST(TextTable, FormatDateTimeTextPerLanguage) {
    // 9 December 2026, 08:47:36
    const double morning = 46365.0 + (8 * 3600 + 47 * 60 + 36) / 86400.0;
    struct Case {
        const char* name;
        void (*load)();
        double value;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"English", LoadEnglishTexts, morning, " 09 December 2026, 08:47:36 "},
        {"Russian", LoadRussianTexts, morning, " 09 декабря 2026, 08:47:36 "},
        {"Ukrainian", LoadUkrainianTexts, morning, " 09 грудня 2026, 08:47:36 "},
        {"Russian midnight", LoadRussianTexts, 46023.0, " 01 января 2026, 00:00:00 "},
        {"Ukrainian in March", LoadUkrainianTexts, 46100.5, " 19 березня 2026, 12:00:00 "},
        {"English last second", LoadEnglishTexts, 46387.0 + 86399.0 / 86400.0, " 31 December 2026, 23:59:59 "},
        {"zero is the base day", LoadEnglishTexts, 0.0, " 30 December 1899, 00:00:00 "},
        {"negative counts days back", LoadRussianTexts, -1.25, " 29 декабря 1899, 06:00:00 "},
        {"first year", LoadUkrainianTexts, -693593.0, " 01 січня 0001, 00:00:00 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.load();
        EXPECT_EQ(FormatDateTimeText(c.value), c.expected);
    }
    // Past the year 9999 there is no month to name.
    LoadEnglishTexts();
    EXPECT_FALSE(FormatDateTimeText(2958466.0).empty());
}

TEST(TextTable, ShortDatesPerLanguage) {
    struct Case {
        const char* name;
        void (*load)();
        double value;
        std::string date, dateTime;
    };
    const std::vector<Case> cases = {
        {"Russian", LoadRussianTexts, 46031.0, "09.01.2026", "09.01.2026"},
        {"Ukrainian", LoadUkrainianTexts, 46031.0, "09.01.2026", "09.01.2026"},
        {"English", LoadEnglishTexts, 46031.0, "01/09/2026", "01/09/2026"},
        {"Russian with time", LoadRussianTexts, 46387.75, "31.12.2026", "31.12.2026 18:00:00"},
        {"English with time", LoadEnglishTexts, 46387.75, "12/31/2026", "12/31/2026 18:00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.load();
        EXPECT_EQ(DateToStr(c.value, TextTable.LangFormatSettings), c.date);
        EXPECT_EQ(DateTimeToStr(c.value, TextTable.LangFormatSettings), c.dateTime);
    }
}

TEST(TextTable, SiteAddressIsStoredScrambled) {
    struct Case {
        const char* name;
        void (*load)();
        std::size_t length;
    };
    const std::vector<Case> cases = {
        {"Russian", LoadRussianTexts, 35},
        {"Ukrainian", LoadUkrainianTexts, 45},
        {"English", LoadEnglishTexts, 45},
    };
    std::vector<std::string> addresses;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.load();
        const std::string stored(TextTable.SiteAddressBytes.begin(), TextTable.SiteAddressBytes.end());
        const std::string address = UnscrambleText(TextTable.SiteAddressBytes);
        EXPECT_EQ(TextTable.SiteAddressBytes.size(), c.length);
        EXPECT_TRUE(address.starts_with("http://www.example.org/")) << address;
        EXPECT_EQ(stored.find("example"), std::string::npos) << "address stored in plain text";
        for (char ch : address) EXPECT_TRUE(ch > ' ' && ch < 0x7F) << address;
        EXPECT_TRUE(TextTable[SlotHelpAddress].starts_with("http://www.example.org/")) << TextTable[SlotHelpAddress];
        addresses.push_back(address);
    }
    EXPECT_NE(addresses[0], addresses[1]);
    EXPECT_NE(addresses[1], addresses[2]);
}

} // namespace
} // namespace tv
