#include "UIniFile.h"

#include "CfgTestDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace tv;

TEST(IniFile, KeepsFileOrderAndAppendsNewSectionsAndKeysAtTheirEnd)
{
    CfgTestDir dir;
    CfgTestDir::Write(dir.CfgFile(),
        "[Updates]\nTestDate=40E61D80\n\n\n[MainForm]\r\nLeft=00000010\r\nTop=00000020\r\n");
    TIniFile ini(dir.CfgFile());
    ini.WriteString("MainForm", "Width", "00000300");
    ini.WriteString("Language", "ProgLang", "UKR");
    ini.WriteString("updates", "testdate", "00000000");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()),
              "[Updates]\r\nTestDate=00000000\r\n\r\n"
              "[MainForm]\r\nLeft=00000010\r\nTop=00000020\r\nWidth=00000300\r\n\r\n"
              "[Language]\r\nProgLang=UKR\r\n\r\n");
}

TEST(IniFile, ReadsValuesAsTheyStandAndKeepsOtherLines)
{
    CfgTestDir dir;
    CfgTestDir::Write(dir.CfgFile(),
        "\xEF\xBB\xBF; written by hand\r\nOrphan=1\r\n[Paths]\r\n; last folder\r\nLastCopy = /home/a b \r\n"
        "stray text\r\nEmpty=\r\n[paths]\r\nLater=1\r\n");
    TIniFile ini(dir.CfgFile());
    EXPECT_EQ(ini.ReadString("Paths", "LastCopy", "-"), " /home/a b ") << "the value is all after the sign";
    EXPECT_EQ(ini.ReadString("PATHS", "lastcopy", "-"), " /home/a b ");
    EXPECT_EQ(ini.ReadString("Paths", "Empty", "-"), "");
    EXPECT_TRUE(ini.ValueExists("Paths", "Empty"));
    EXPECT_EQ(ini.ReadString("Paths", "Later", "-"), "1") << "a repeated section continues the first";
    EXPECT_EQ(ini.ReadString("Paths", "Missing", "-"), "-");
    EXPECT_EQ(ini.ReadString("Other", "LastCopy", "-"), "-");
    EXPECT_FALSE(ini.ValueExists("Paths", "stray text"));
    EXPECT_FALSE(ini.ValueExists("", "Orphan")) << "a key before the first section belongs to none";
    EXPECT_EQ(ini.Text(),
              "; written by hand\r\nOrphan=1\r\n[Paths]\r\n; last folder\r\nLastCopy= /home/a b \r\n"
              "stray text\r\nEmpty=\r\nLater=1\r\n\r\n");
}

// A rewrite that sets one value keeps what every other line means: the
// file read back holds the same sections, keys and other lines.
TEST(IniFile, ARewriteKeepsTheMeaningOfTheLinesItDoesNotSet)
{
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"one mark", bom + "[Paths]\r\nLastCopy=/a\r\n"},
        {"two marks before a section", bom + bom + "[Paths]\r\nLastCopy=/a\r\n"},
        {"two marks before a key", bom + bom + "Key=1\r\n[Paths]\r\nLastCopy=/a\r\n"},
        {"three marks", bom + bom + bom + "[Paths]\r\n"},
        {"a mark alone on the first line", bom + bom + "\r\n[Paths]\r\nLastCopy=/a\r\n"},
        {"a mark inside the file", "[Paths]\r\n" + bom + "[Other]\r\nLastCopy=/a\r\n"},
        {"a section repeated, spaces around", " [ Paths ] \r\nA=1\r\n[Other]\r\n[paths]\r\nB=2\r\n"},
    };
    for (const Case& c : cases) {
        CfgTestDir dir;
        CfgTestDir::Write(dir.CfgFile(), c.text);
        TIniFile ini(dir.CfgFile());
        ini.WriteString("Security", "Password", "7E2B4A19");
        ASSERT_TRUE(ini.UpdateFile()) << c.name;
        TIniFile again(dir.CfgFile());
        EXPECT_EQ(again.Text(), ini.Text()) << c.name;
        EXPECT_EQ(again.ReadString("Paths", "LastCopy", "-"), ini.ReadString("Paths", "LastCopy", "-")) << c.name;
        EXPECT_EQ(again.ReadString("Security", "Password", "-"), "7E2B4A19") << c.name;
    }
}

TEST(IniFile, MissingFileIsEmptyAndWritesNothingUntilUpdate)
{
    CfgTestDir dir;
    TIniFile ini(dir.CfgFile());
    EXPECT_EQ(ini.ReadString("Security", "Password", "0"), "0");
    ini.WriteString("Security", "Password", "7E2B4A19");
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()), "");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()), "[Security]\r\nPassword=7E2B4A19\r\n\r\n");
}

TEST(IniFile, LineBreaksInAValueCannotSplitTheFile)
{
    CfgTestDir dir;
    TIniFile ini(dir.CfgFile());
    ini.WriteString("Updates", "LastVersion", "1.2\r\n[Security]\nPassword=0");
    ASSERT_TRUE(ini.UpdateFile());
    TIniFile back(dir.CfgFile());
    EXPECT_EQ(back.ReadString("Updates", "LastVersion", ""), "1.2  [Security] Password=0");
    EXPECT_FALSE(back.ValueExists("Security", "Password"));
}

TEST(IniFile, UnwritableFileIsReported)
{
    CfgTestDir dir;
    TIniFile ini(dir.Path() + "/no/such/folder/tarnovell.cfg");
    ini.WriteString("A", "B", "C");
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_EQ(ini.ReadString("A", "B", ""), "C");
}

TEST(IniFile, FileThatCannotBeReadIsNeverOverwritten)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    CfgTestDir dir;
    CfgTestDir::Write(dir.CfgFile(), "[Security]\r\nPassword=727FE128\r\n");
    ASSERT_EQ(::chmod(dir.CfgFile().c_str(), 0200), 0);
    TIniFile ini(dir.CfgFile());
    EXPECT_EQ(ini.ReadString("Security", "Password", "0"), "0");
    ini.WriteString("Language", "ProgLang", "ENG");
    EXPECT_FALSE(ini.UpdateFile());
    ASSERT_EQ(::chmod(dir.CfgFile().c_str(), 0600), 0);
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()), "[Security]\r\nPassword=727FE128\r\n");
}
