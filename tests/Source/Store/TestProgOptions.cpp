#include "UProgOptions.h"

#include "../../CfgFile/CfgTestDir.h"
#include "UCardinalDate.h"
#include "UExeFile.h"
#include "UFileUtils.h"
#include "UProgFolder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tv;

namespace {

class ProgOptionsTest : public ::testing::Test {
protected:
    std::string Dir() const { return FDir.Path(); }
    std::string CfgFile() const { return FDir.CfgFile(); }
    std::string Read() const { return CfgTestDir::Read(CfgFile()); }
    void Write(const std::string& data) const { ASSERT_TRUE(WriteFileAtomic(CfgFile(), data)); }
    std::unique_ptr<TProgOptions> Open() const
    {
        return std::make_unique<TProgOptions>(CfgFile(), ProgRegKeyName);
    }

    CfgTestDir FDir;
};

using Getter = std::function<int(TProgOptions&)>;

struct WidthRow {
    const char* section;
    const char* key;
    int defaultWidth;
    Getter get;
};

const std::vector<WidthRow>& WidthRows()
{
    static const std::vector<WidthRow> rows = {
        {"GridStore", "CodeWidth", 50, &TProgOptions::GetStoreCodeWidth},
        {"GridStore", "NameWidth", 150, &TProgOptions::GetStoreNameWidth},
        {"GridStore", "DateWidth", 70, &TProgOptions::GetStoreDateWidth},
        {"GridStore", "CountPWidth", 45, &TProgOptions::GetStoreCountPWidth},
        {"GridStore", "WeightWidth", 60, &TProgOptions::GetStoreWeightWidth},
        {"GridStore", "CostWidth", 60, &TProgOptions::GetStoreCostWidth},
        {"GridStore", "SumWidth", 75, &TProgOptions::GetStoreSumWidth},
        {"GridMoves", "DateWidth", 65, &TProgOptions::GetMovesDateWidth},
        {"GridMoves", "MoveWidth", 38, &TProgOptions::GetMovesMoveWidth},
        {"GridMoves", "WeightWidth", 42, &TProgOptions::GetMovesWeightWidth},
        {"GridMoves", "CountPWidth", 35, &TProgOptions::GetMovesCountPWidth},
        {"GridMoves", "SumWidth", 65, &TProgOptions::GetMovesSumWidth},
    };
    return rows;
}

} // namespace

TEST_F(ProgOptionsTest, EmptyFileGivesTheDefaults)
{
    auto options = Open();
    for (const auto& row : WidthRows()) {
        SCOPED_TRACE(std::string(row.section) + "." + row.key);
        EXPECT_EQ(row.get(*options), row.defaultWidth);
    }
    EXPECT_EQ(options->GetTestDate(), 0.0);
    EXPECT_EQ(options->GetLastVersion(), "");
    EXPECT_EQ(options->GetLeft(), 0);
    EXPECT_EQ(options->GetHeight(), 0);
    EXPECT_EQ(options->GetLastCopy(), "");
    EXPECT_EQ(options->GetLanguage(), langEnglish);
    EXPECT_FALSE(options->GetEnhanced());
    EXPECT_FALSE(options->GetAutogenEnabled());
    EXPECT_EQ(options->GetAutogenDelta(), 0u);
    EXPECT_EQ(options->GetAutogenNuls(), 4u);
    EXPECT_EQ(options->GetPassword(), 0u);
    EXPECT_EQ(Read(), "") << "reading writes nothing";
}

TEST_F(ProgOptionsTest, WidthsBelowElevenGiveTheDefault)
{
    struct Stored {
        const char* text;
        bool used;
        int value;
    };
    const std::vector<Stored> stored = {
        {"0000000A", false, 0}, {"0000000B", true, 11}, {"000000C8", true, 200},
        {"FFFFFFFF", false, 0}, {"80000000", false, 0}, {"zz", false, 0},
    };
    for (const auto& s : stored) {
        std::string file = "[GridStore]\r\n";
        for (const auto& row : WidthRows())
            if (std::string(row.section) == "GridStore")
                file += std::string(row.key) + "=" + s.text + "\r\n";
        file += "[GridMoves]\r\n";
        for (const auto& row : WidthRows())
            if (std::string(row.section) == "GridMoves")
                file += std::string(row.key) + "=" + s.text + "\r\n";
        Write(file);
        auto options = Open();
        for (const auto& row : WidthRows()) {
            SCOPED_TRACE(std::string(s.text) + " in " + row.section + "." + row.key);
            EXPECT_EQ(row.get(*options), s.used ? s.value : row.defaultWidth);
        }
    }
}

TEST_F(ProgOptionsTest, EachGetterReadsItsOwnKey)
{
    Write("[Updates]\r\nTestDate=40E61D90\r\nLastVersion= 2.0 \r\n"
          "[MainForm]\r\nLeft=FFFFFFF6\r\nTop=00000014\r\nWidth=00000400\r\nHeight=00000300\r\n"
          "[GridStore]\r\nCodeWidth=0000000C\r\nNameWidth=0000000D\r\nDateWidth=0000000E\r\n"
          "CountPWidth=0000000F\r\nWeightWidth=00000010\r\nCostWidth=00000011\r\nSumWidth=00000012\r\n"
          "[GridMoves]\r\nDateWidth=00000013\r\nMoveWidth=00000014\r\nWeightWidth=00000015\r\n"
          "CountPWidth=00000016\r\nSumWidth=00000017\r\n"
          "[Paths]\r\nLastCopy= /media/copy \r\n[Language]\r\nProgLang=UKR\r\n"
          "[Keyboard]\r\nEnhanced=00000002\r\n"
          "[Autogen]\r\nEnabled=00000001\r\nDelta=0000000A\r\nNuls=00000006\r\n"
          "[Security]\r\nPassword=727FE128\r\n");
    struct Row {
        const char* name;
        std::function<std::string(TProgOptions&)> get;
        std::string value;
    };
    auto number = [](auto getter) {
        return [getter](TProgOptions& o) { return std::to_string(std::invoke(getter, o)); };
    };
    const std::vector<Row> rows = {
        {"TestDate", [](TProgOptions& o) { return std::to_string(o.GetTestDate()); },
         std::to_string(EncodeDateTime(2024, 1, 1, 12, 0, 0, 0))},
        {"LastVersion", [](TProgOptions& o) { return o.GetLastVersion(); }, "2.0"},
        {"Left", number(&TProgOptions::GetLeft), "-10"},
        {"Top", number(&TProgOptions::GetTop), "20"},
        {"Width", number(&TProgOptions::GetWidth), "1024"},
        {"Height", number(&TProgOptions::GetHeight), "768"},
        {"GridStore.CodeWidth", number(&TProgOptions::GetStoreCodeWidth), "12"},
        {"GridStore.NameWidth", number(&TProgOptions::GetStoreNameWidth), "13"},
        {"GridStore.DateWidth", number(&TProgOptions::GetStoreDateWidth), "14"},
        {"GridStore.CountPWidth", number(&TProgOptions::GetStoreCountPWidth), "15"},
        {"GridStore.WeightWidth", number(&TProgOptions::GetStoreWeightWidth), "16"},
        {"GridStore.CostWidth", number(&TProgOptions::GetStoreCostWidth), "17"},
        {"GridStore.SumWidth", number(&TProgOptions::GetStoreSumWidth), "18"},
        {"GridMoves.DateWidth", number(&TProgOptions::GetMovesDateWidth), "19"},
        {"GridMoves.MoveWidth", number(&TProgOptions::GetMovesMoveWidth), "20"},
        {"GridMoves.WeightWidth", number(&TProgOptions::GetMovesWeightWidth), "21"},
        {"GridMoves.CountPWidth", number(&TProgOptions::GetMovesCountPWidth), "22"},
        {"GridMoves.SumWidth", number(&TProgOptions::GetMovesSumWidth), "23"},
        {"LastCopy", [](TProgOptions& o) { return o.GetLastCopy(); }, "/media/copy"},
        {"ProgLang", number(&TProgOptions::GetLanguage), "1"},
        {"Enhanced", number(&TProgOptions::GetEnhanced), "1"},
        {"Autogen.Enabled", number(&TProgOptions::GetAutogenEnabled), "1"},
        {"Autogen.Delta", number(&TProgOptions::GetAutogenDelta), "10"},
        {"Autogen.Nuls", number(&TProgOptions::GetAutogenNuls), "6"},
        {"Password", number(&TProgOptions::GetPassword), std::to_string(0x727FE128u)},
    };
    auto options = Open();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.get(*options), row.value);
    }
}

TEST_F(ProgOptionsTest, LanguageCodes)
{
    struct Row {
        const char* stored;
        TLanguage language;
    };
    const std::vector<Row> rows = {
        {"RUS", langRussian},  {"UKR", langUkrainian}, {"  UKR \t", langUkrainian}, {"ENG", langEnglish},
        {"ukr", langEnglish},  {"Rus", langEnglish},   {"DEU", langEnglish},         {"", langEnglish},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        Write(std::string("[Language]\r\nProgLang=") + row.stored + "\r\n");
        EXPECT_EQ(Open()->GetLanguage(), row.language);
    }
    auto options = Open();
    EXPECT_THROW(options->SetLanguage(TLanguage(3)), ERangeError);
    EXPECT_THROW(options->SetLanguage(TLanguage(-1)), ERangeError);
}

TEST_F(ProgOptionsTest, AutogenNulsAndDelta)
{
    Write("[Autogen]\r\nNuls=00000000\r\nDelta=00000064\r\nEnabled=00000002\r\n");
    auto options = Open();
    EXPECT_EQ(options->GetAutogenNuls(), 4u);
    EXPECT_EQ(options->GetAutogenDelta(), 100u);
    EXPECT_TRUE(options->GetAutogenEnabled());
    Write("[Autogen]\r\nNuls=00000006\r\n");
    EXPECT_EQ(Open()->GetAutogenNuls(), 6u);
}

TEST_F(ProgOptionsTest, SettersWriteTheStoredForms)
{
    struct Row {
        const char* name;
        std::function<void(TProgOptions&)> set;
        const char* file;
    };
    const std::vector<Row> rows = {
        {"test date", [](TProgOptions& o) { o.SetTestDate(EncodeDateTime(2024, 1, 1, 12, 0, 0, 0)); },
         "[Updates]\r\nTestDate=40E61D90\r\n\r\n"},
        {"last version trimmed", [](TProgOptions& o) { o.SetLastVersion("  1.31\r\n"); },
         "[Updates]\r\nLastVersion=1.31\r\n\r\n"},
        {"negative left", [](TProgOptions& o) { o.SetLeft(-8); }, "[MainForm]\r\nLeft=FFFFFFF8\r\n\r\n"},
        {"bounds", [](TProgOptions& o) { o.SetTop(1); o.SetWidth(800); o.SetHeight(600); },
         "[MainForm]\r\nTop=00000001\r\nWidth=00000320\r\nHeight=00000258\r\n\r\n"},
        {"store widths", [](TProgOptions& o) {
             o.SetStoreCodeWidth(51); o.SetStoreNameWidth(151); o.SetStoreDateWidth(71);
             o.SetStoreCountPWidth(46); o.SetStoreWeightWidth(61); o.SetStoreCostWidth(62);
             o.SetStoreSumWidth(76); },
         "[GridStore]\r\nCodeWidth=00000033\r\nNameWidth=00000097\r\nDateWidth=00000047\r\n"
         "CountPWidth=0000002E\r\nWeightWidth=0000003D\r\nCostWidth=0000003E\r\nSumWidth=0000004C\r\n\r\n"},
        {"moves widths", [](TProgOptions& o) {
             o.SetMovesDateWidth(66); o.SetMovesMoveWidth(39); o.SetMovesWeightWidth(43);
             o.SetMovesCountPWidth(36); o.SetMovesSumWidth(67); },
         "[GridMoves]\r\nDateWidth=00000042\r\nMoveWidth=00000027\r\nWeightWidth=0000002B\r\n"
         "CountPWidth=00000024\r\nSumWidth=00000043\r\n\r\n"},
        {"last copy trimmed", [](TProgOptions& o) { o.SetLastCopy(" /media/usb "); },
         "[Paths]\r\nLastCopy=/media/usb\r\n\r\n"},
        {"language", [](TProgOptions& o) { o.SetLanguage(langRussian); }, "[Language]\r\nProgLang=RUS\r\n\r\n"},
        {"keyboard and autogen", [](TProgOptions& o) { o.SetEnhanced(true); o.SetAutogenEnabled(true); },
         "[Keyboard]\r\nEnhanced=00000001\r\n\r\n[Autogen]\r\nEnabled=00000001\r\n\r\n"},
        {"values equal to what an empty file reads", [](TProgOptions& o) {
             o.SetLeft(0); o.SetEnhanced(false); o.SetLastVersion("  "); o.SetTestDate(0.0); },
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ::unlink(CfgFile().c_str());
        row.set(*Open());
        EXPECT_EQ(Read(), row.file);
    }
    auto options = Open();
    options->SetTestDate(EncodeDate(2024, 1, 1));
    options->SetLeft(-8);
    auto back = Open();
    EXPECT_EQ(back->GetTestDate(), EncodeDate(2024, 1, 1));
    EXPECT_EQ(back->GetLeft(), -8);
}

TEST_F(ProgOptionsTest, SettingTheStoredValueWritesNothing)
{
    // Line ends that any rewrite would turn into CR LF.
    const std::string file =
        "[Language]\nProgLang=UKR\n[Keyboard]\nEnhanced=00000001\n[GridStore]\nCodeWidth=00000040\n"
        "[Updates]\nLastVersion=1.5\nTestDate=40E61D80\n[MainForm]\nLeft=FFFFFFF8\n";
    Write(file);
    auto options = Open();
    options->SetLanguage(langUkrainian);
    options->SetEnhanced(true);
    options->SetStoreCodeWidth(64);
    options->SetLastVersion(" 1.5 ");
    options->SetLeft(-8);
    options->SetTestDate(EncodeDateTime(2024, 1, 1, 0, 30, 0, 0));
    EXPECT_EQ(Read(), file) << "a date within the stored form's step is the stored date";
    options->SetLastVersion("1.6");
    EXPECT_NE(Read(), file);
}

TEST_F(ProgOptionsTest, UntrimmedStoredTextsAreTrimmedAndReplaced)
{
    Write("[Updates]\r\nLastVersion= 1.5 \r\n\r\n[Language]\r\nProgLang= UKR\r\n\r\n");
    auto options = Open();
    EXPECT_EQ(options->GetLastVersion(), "1.5");
    options->SetLastVersion("1.5");
    options->SetLanguage(langUkrainian);
    EXPECT_EQ(Read(), "[Updates]\r\nLastVersion=1.5\r\n\r\n[Language]\r\nProgLang=UKR\r\n\r\n");
}

TEST_F(ProgOptionsTest, GlobalSettingsLieInTheProgramFolder)
{
    EXPECT_EQ(ProgramFolder(), ExeFileName().substr(0, ExeFileName().rfind('/') + 1));
    SetProgramFolder(Dir());
    EXPECT_EQ(ProgramFolder(), Dir() + "/");
    EXPECT_EQ(ProgOptions().FileName(), CfgFile());
    EXPECT_EQ(ProgOptions().RegKeyName(), "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnovell");
    ASSERT_TRUE(GlobalPass().SetPassword("abc"));
    EXPECT_EQ(Read(), "[Security]\r\nPassword=727FE128\r\n\r\n");
    EXPECT_TRUE(GlobalPass().Check("abc"));
    SetProgramFolder("");
    EXPECT_EQ(ProgramFolder(), ExeFileName().substr(0, ExeFileName().rfind('/') + 1));
}
