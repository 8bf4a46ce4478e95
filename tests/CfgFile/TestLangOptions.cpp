#include "ULangOptions.h"

#include "CfgTestDir.h"
#include "USetupNames.h"

#include <gtest/gtest.h>

using namespace tv;

TEST(LangOptions, FreshFileHoldsOnlyTheLanguage)
{
    struct Row {
        unsigned code;
        const char* file;
    };
    const std::vector<Row> rows = {
        {0, "[Language]\r\nProgLang=RUS\r\n\r\n"},
        {1, "[Language]\r\nProgLang=UKR\r\n\r\n"},
        {2, "[Language]\r\nProgLang=ENG\r\n\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        CfgTestDir dir;
        WriteLangCfg(dir.CfgFile(), row.code, 0);
        EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()), row.file);
    }
}

TEST(LangOptions, ExistingFileIsUpdatedNotReplaced)
{
    CfgTestDir dir;
    CfgTestDir::Write(dir.CfgFile(),
        "[Security]\r\nPassword=727FE128\r\n\r\n"
        "[Updates]\r\nTestDate=40E61D80\r\nLastVersion=1.4\r\n\r\n"
        "[Language]\r\nProgLang=UKR\r\n\r\n"
        "[Keyboard]\r\nEnhanced=00000001\r\n\r\n"
        "[GridStore]\r\nCodeWidth=00000040\r\n\r\n");
    WriteLangCfg(dir.CfgFile(), 1, 0);
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()),
        "[Security]\r\nPassword=727FE128\r\n\r\n"
        "[Updates]\r\nTestDate=\r\nLastVersion=\r\n\r\n"
        "[Language]\r\nProgLang=UKR\r\n\r\n"
        "[Keyboard]\r\nEnhanced=00000000\r\n\r\n"
        "[GridStore]\r\nCodeWidth=00000040\r\n\r\n");

    // Line ends that any rewrite would turn into CR LF.
    const std::string settled = "[Updates]\nTestDate=\n[Language]\nProgLang=RUS\n[Keyboard]\nEnhanced=00000000\n";
    CfgTestDir::Write(dir.CfgFile(), settled);
    WriteLangCfg(dir.CfgFile(), 0, 0);
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()), settled) << "nothing differs, nothing is written";
}

TEST(LangOptions, KeyboardModesAndRanges)
{
    const uint32_t expected[] = {0, 1, 2, 1};
    for (unsigned mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        CfgTestDir dir;
        {
            TLangOptions options(dir.CfgFile());
            options.SetEnhanced(mode);
        }
        TCfgOptions back(dir.CfgFile());
        TCardinalParam enhanced(&back, "Keyboard", "Enhanced");
        EXPECT_EQ(enhanced.GetValue(), expected[mode]);
    }
    CfgTestDir dir;
    TLangOptions options(dir.CfgFile());
    EXPECT_THROW(options.SetEnhanced(4), ERangeError);
    EXPECT_THROW(options.SetProgLang(3), ERangeError);
    options.SetLastVersion("  1.5 \r\n");
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()), "[Updates]\r\nLastVersion=1.5\r\n\r\n");
    EXPECT_EQ(LangCodes[0], "RUS");
    EXPECT_EQ(LangCodes[1], "UKR");
    EXPECT_EQ(LangCodes[2], "ENG");
}
