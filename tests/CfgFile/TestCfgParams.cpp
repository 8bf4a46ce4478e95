#include "UCfgParams.h"

#include "CfgTestDir.h"
#include "UException.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

using namespace tv;

namespace {

const std::string UninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnovell";

std::vector<uint8_t> Bytes(std::initializer_list<int> list)
{
    std::vector<uint8_t> out;
    for (int b : list)
        out.push_back(static_cast<uint8_t>(b));
    return out;
}

class RegOptionsTest : public ::testing::Test {
protected:
    // Creates the registry key with one value written by fill.
    void PutRegistry(const std::function<void(TRegistry&)>& fill)
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(UninstallKey, true));
        fill(reg);
    }
    std::vector<uint8_t> RegBinary(const std::string& name)
    {
        TRegistry reg;
        if (!reg.OpenKey(UninstallKey, false) || !reg.ValueExists(name))
            return {};
        return reg.ReadBinaryData(name);
    }

    CfgTestDir FDir;
};

} // namespace

TEST(CfgParams, NumbersReadAsHexadecimal)
{
    struct Row {
        const char* name;
        const char* text;
        uint32_t value;
    };
    const std::vector<Row> rows = {
        {"upper case", "000001F4", 500},
        {"lower case, short", "1f4", 500},
        {"more than 32 bits keeps the low 32", "123456789", 0x23456789},
        {"largest signed 64-bit", "7FFFFFFFFFFFFFFF", 0xFFFFFFFF},
        {"leading zeros beyond 16 digits", "0000000000000000000A", 10},
        {"not a digit", "12G4", 0},
        {"beyond signed 64-bit", "8000000000000000", 0},
        {"empty", "", 0},
        {"blank before", " 1F4", 0},
        {"blank after", "1F4 ", 0},
        {"sign", "-1", 0},
        {"Pascal prefix", "$1F4", 0},
        {"C prefix", "0x1F4", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CfgTestDir dir;
        CfgTestDir::Write(dir.CfgFile(), std::string("[Autogen]\r\nDelta=") + row.text + "\r\n");
        TCfgOptions store(dir.CfgFile());
        TCardinalParam delta(&store, "Autogen", "Delta");
        EXPECT_EQ(delta.GetValue(), row.value);
    }
}

TEST(CfgParams, WrittenFileIsByteExact)
{
    CfgTestDir dir;
    TCfgOptions store(dir.CfgFile());
    TCardinalParam one(&store, "MainForm", "Left");
    TCardinalParam big(&store, "MainForm", "Top");
    TStringParam text(&store, "Updates", "LastVersion");
    TCardinalParam zero(&store, "Keyboard", "Enhanced");
    one.SetValue(1);
    text.SetValue(" 1.31 ");
    big.SetValue(0xABCDEF12);
    zero.SetValue(0);
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()),
              "[MainForm]\r\nLeft=00000001\r\nTop=ABCDEF12\r\n\r\n"
              "[Updates]\r\nLastVersion= 1.31 \r\n\r\n"
              "[Keyboard]\r\nEnhanced=00000000\r\n\r\n");
    TCfgOptions back(dir.CfgFile());
    TStringParam backText(&back, "Updates", "LastVersion");
    TCardinalParam backBig(&back, "MainForm", "Top");
    EXPECT_EQ(backText.GetValue(), " 1.31 ");
    EXPECT_EQ(backBig.GetValue(), 0xABCDEF12u);
}

TEST(CfgParams, OnlyEmptyValuesAreReadAgain)
{
    CfgTestDir dir;
    TCfgOptions store(dir.CfgFile());
    TCardinalParam reader(&store, "Autogen", "Nuls");
    TCardinalParam writer(&store, "Autogen", "Nuls");
    TStringParam textReader(&store, "Paths", "LastCopy");
    TStringParam textWriter(&store, "Paths", "LastCopy");
    EXPECT_EQ(reader.GetValue(), 0u);
    EXPECT_EQ(textReader.GetValue(), "");
    writer.SetValue(7);
    textWriter.SetValue("/a");
    EXPECT_EQ(reader.GetValue(), 7u) << "0 is read again";
    EXPECT_EQ(textReader.GetValue(), "/a") << "'' is read again";
    writer.SetValue(9);
    textWriter.SetValue("/b");
    EXPECT_EQ(reader.GetValue(), 7u) << "a non-zero value stays cached";
    EXPECT_EQ(textReader.GetValue(), "/a");
}

TEST(CfgParams, StoreReadsItsFileOnceAndLastWriterWins)
{
    CfgTestDir dir;
    TCfgOptions first(dir.CfgFile());
    TCfgOptions second(dir.CfgFile());
    TCardinalParam left(&first, "MainForm", "Left");
    TCardinalParam top(&second, "MainForm", "Top");
    left.SetValue(1);
    top.SetValue(2);
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()), "[MainForm]\r\nTop=00000002\r\n\r\n");
}

TEST(CfgParams, UnwritableFileKeepsMemoryInStepWithTheDisk)
{
    CfgTestDir dir;
    // A regular file in place of the folder stops root as well.
    CfgTestDir::Write(dir.Path() + "/folder", "x");
    TCfgOptions store(dir.Path() + "/folder/tarnovell.cfg");
    TCardinalParam left(&store, "MainForm", "Left");
    TStringParam copy(&store, "Paths", "LastCopy");
    EXPECT_NO_THROW(left.SetValue(5));
    EXPECT_NO_THROW(copy.SetValue("/x"));
    EXPECT_EQ(left.GetValue(), 0u) << "the disk never received 5";
    EXPECT_EQ(copy.GetValue(), "");
}

TEST(CfgParams, FailedWriteLeavesTheOldFileAndValue)
{
    CfgTestDir dir;
    const std::string sub = dir.Path() + "/sub";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    TCfgOptions store(sub + "/tarnovell.cfg");
    TCardinalParam left(&store, "MainForm", "Left");
    left.SetValue(3);
    ASSERT_EQ(::rename(sub.c_str(), (dir.Path() + "/moved").c_str()), 0);
    left.SetValue(4);
    EXPECT_EQ(left.GetValue(), 3u);
    EXPECT_EQ(CfgTestDir::Read(dir.Path() + "/moved/tarnovell.cfg"), "[MainForm]\r\nLeft=00000003\r\n\r\n");

    const std::string readOnly = dir.Path() + "/moved/tarnovell.cfg";
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    TCfgOptions again(readOnly);
    TCardinalParam top(&again, "MainForm", "Top");
    TCardinalParam sameLeft(&again, "MainForm", "Left");
    top.SetValue(7);
    EXPECT_EQ(top.GetValue(), 0u) << "a read-only file is not replaced";
    EXPECT_EQ(sameLeft.GetValue(), 3u);
    EXPECT_EQ(CfgTestDir::Read(readOnly), "[MainForm]\r\nLeft=00000003\r\n\r\n");
}

TEST(CfgParams, TwoThreadsSettingKeepTheFileWellFormed)
{
    CfgTestDir dir;
    TCfgOptions store(dir.CfgFile());
    TCardinalParam date(&store, "Updates", "TestDate");
    TStringParam version(&store, "Updates", "LastVersion");
    TCardinalParam width(&store, "GridStore", "NameWidth");
    constexpr uint32_t Rounds = 200;
    date.SetValue(0);
    width.SetValue(0);
    std::thread worker([&] {
        for (uint32_t i = 1; i <= Rounds; ++i) {
            date.SetValue(i);
            version.SetValue("1." + std::to_string(i));
        }
    });
    for (uint32_t i = 1; i <= Rounds; ++i) {
        width.SetValue(1000 + i);
        (void)version.GetValue();
    }
    worker.join();
    EXPECT_EQ(CfgTestDir::Read(dir.CfgFile()),
              "[Updates]\r\nTestDate=000000C8\r\nLastVersion=1.200\r\n\r\n"
              "[GridStore]\r\nNameWidth=000004B0\r\n\r\n");
}

TEST(CfgParams, ProgrammingErrorsAreAssertions)
{
    CfgTestDir dir;
    TCfgOptions store(dir.CfgFile());
    struct Row {
        const char* text;
        std::function<void()> make;
    };
    const std::vector<Row> rows = {
        {"Not assigned owner param of constructor", [] { TCardinalParam p(nullptr, "", ""); }},
        {"Empty scName parameter of constructor", [&] { TStringParam p(&store, "", ""); }},
        {"Empty prName parameter of constructor", [&] { TRegCardinalParam p(&store, "S", ""); }},
        {"Empty regKeyName param", [&] { TRegOptions o("", ""); }},
        {"Not Assigned parent param", [] { ICfgCardinalReader r(nullptr); }},
        {"Not Assigned parent param", [] { ICfgStringReader r(nullptr); }},
        {"Not assigned parent param", [] { IRegCardinalReader r(nullptr); }},
        {"Not assigned parent param", [] { IRegStringReader r(nullptr); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        try {
            row.make();
            ADD_FAILURE() << "no assertion";
        } catch (const EAssertionFailed& e) {
            EXPECT_EQ(e.Text(), row.text);
        }
    }
}

TEST(CfgParams, RegistryAmountsRoundHalfToEven)
{
    struct Row {
        int64_t stored;
        uint32_t value;
    };
    const std::vector<Row> rows = {
        {10000, 1}, {14999, 1}, {15000, 2}, {25000, 2}, {25001, 3}, {5000, 0},
        {-10000, 0xFFFFFFFF}, {-15000, 0xFFFFFFFE}, {42949672950000, 0xFFFFFFFF},
        {42949672960000, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        std::vector<uint8_t> bytes(8);
        for (size_t i = 0; i < 8; ++i)
            bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(row.stored) >> (8 * i));
        EXPECT_EQ(RegBytesToCardinal(bytes), row.value);
    }
    EXPECT_EQ(CardinalToRegBytes(1), Bytes({0x10, 0x27, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(CardinalToRegBytes(0xFFFFFFFF), Bytes({0xF0, 0xD8, 0xFF, 0xFF, 0x0F, 0x27, 0, 0}));
}

TEST_F(RegOptionsTest, EmptyFileValueComesFromTheRegistryAndMovesIntoTheFile)
{
    struct Row {
        const char* name;
        const char* file;  // nullptr: no file
        const char* after;
    };
    const std::vector<Row> rows = {
        {"no file", nullptr, "[Security]\r\nPassword=00000001\r\n\r\n"},
        {"zero", "[Security]\r\nPassword=00000000\r\n", "[Security]\r\nPassword=00000001\r\n\r\n"},
        {"empty text", "[Security]\r\nPassword=\r\n", "[Security]\r\nPassword=00000001\r\n\r\n"},
        {"not a number", "[Security]\r\nPassword=zz\r\n", "[Security]\r\nPassword=00000001\r\n\r\n"},
        {"other sections only", "[Other]\r\nA=1\r\n",
         "[Other]\r\nA=1\r\n\r\n[Security]\r\nPassword=00000001\r\n\r\n"},
    };
    PutRegistry([](TRegistry& reg) { reg.WriteBinaryData("Password", Bytes({0x10, 0x27, 0, 0, 0, 0, 0, 0})); });
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ::unlink(FDir.CfgFile().c_str());
        if (row.file)
            CfgTestDir::Write(FDir.CfgFile(), row.file);
        TRegOptions store(FDir.CfgFile(), UninstallKey);
        TRegCardinalParam password(&store, "Security", "Password");
        EXPECT_EQ(password.GetValue(), 1u);
        EXPECT_EQ(CfgTestDir::Read(FDir.CfgFile()), row.after);
        EXPECT_EQ(RegBinary("Password"), Bytes({0x10, 0x27, 0, 0, 0, 0, 0, 0})) << "the registry keeps its value";
    }
}

TEST_F(RegOptionsTest, NonZeroFileValueNeverAsksTheRegistry)
{
    PutRegistry([](TRegistry& reg) { reg.WriteBinaryData("Password", Bytes({0x10, 0x27, 0, 0, 0, 0, 0, 0})); });
    CfgTestDir::Write(FDir.CfgFile(), "[Security]\r\nPassword=0000002A\r\n");
    TRegOptions store(FDir.CfgFile(), UninstallKey);
    TRegCardinalParam password(&store, "Security", "Password");
    EXPECT_EQ(password.GetValue(), 42u);
}

TEST_F(RegOptionsTest, ZeroInTheFileLetsTheRegistryWin)
{
    PutRegistry([](TRegistry&) {});
    TRegOptions store(FDir.CfgFile(), UninstallKey);
    TRegCardinalParam password(&store, "Security", "Password");
    password.SetValue(0);
    EXPECT_EQ(CfgTestDir::Read(FDir.CfgFile()), "[Security]\r\nPassword=00000000\r\n\r\n");
    EXPECT_EQ(RegBinary("Password"), Bytes({0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(password.GetValue(), 0u);
    PutRegistry([](TRegistry& reg) { reg.WriteBinaryData("Password", Bytes({0x20, 0x4E, 0, 0, 0, 0, 0, 0})); });
    EXPECT_EQ(password.GetValue(), 2u);
    EXPECT_EQ(CfgTestDir::Read(FDir.CfgFile()), "[Security]\r\nPassword=00000002\r\n\r\n");
}

TEST_F(RegOptionsTest, SetReachesTheRegistryOnlyWhenTheKeyExists)
{
    {
        TRegOptions store(FDir.CfgFile(), UninstallKey);
        TRegCardinalParam password(&store, "Security", "Password");
        password.SetValue(1);
        EXPECT_EQ(password.GetValue(), 1u);
        EXPECT_FALSE(TRegistry().KeyExists(UninstallKey)) << "the key is not created";
        EXPECT_EQ(CfgTestDir::Read(FDir.CfgFile()), "[Security]\r\nPassword=00000001\r\n\r\n");
    }
    PutRegistry([](TRegistry&) {});
    TRegOptions store(FDir.CfgFile(), UninstallKey);
    TRegCardinalParam password(&store, "Security", "Password");
    TRegStringParam name(&store, "Security", "Owner");
    password.SetValue(0x7E2B4A19);
    name.SetValue("Shop");
    EXPECT_EQ(RegBinary("Password"), CardinalToRegBytes(0x7E2B4A19));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(UninstallKey, false));
    EXPECT_EQ(reg.GetDataType("Owner"), TRegDataType::rdString);
    EXPECT_EQ(reg.ReadString("Owner"), "Shop");
}

TEST_F(RegOptionsTest, UnusableRegistryValuesReadAsEmpty)
{
    struct Row {
        const char* name;
        std::function<void(TRegistry&)> fill;
    };
    const std::vector<Row> rows = {
        {"text", [](TRegistry& r) { r.WriteString("Password", "00000001"); r.WriteInteger("Owner", 1); }},
        {"32-bit number", [](TRegistry& r) { r.WriteInteger("Password", 10000); r.WriteBinaryData("Owner", Bytes({65})); }},
        {"short binary", [](TRegistry& r) { r.WriteBinaryData("Password", Bytes({0x10, 0x27, 0, 0})); }},
        {"long binary", [](TRegistry& r) { r.WriteBinaryData("Password", Bytes({0x10, 0x27, 0, 0, 0, 0, 0, 0, 0})); }},
        {"missing", [](TRegistry&) {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TRegistry().DeleteKey(UninstallKey);
        PutRegistry(row.fill);
        TRegOptions store(FDir.CfgFile(), UninstallKey);
        TRegCardinalParam password(&store, "Security", "Password");
        TRegStringParam owner(&store, "Security", "Owner");
        EXPECT_EQ(password.GetValue(), 0u);
        EXPECT_EQ(owner.GetValue(), "");
        EXPECT_EQ(CfgTestDir::Read(FDir.CfgFile()), "");
    }
}

TEST_F(RegOptionsTest, TextFallbackAndPlainParamsIgnoreTheRegistry)
{
    PutRegistry([](TRegistry& reg) {
        reg.WriteString("Owner", "Shop");
        reg.WriteBinaryData("Left", Bytes({0x10, 0x27, 0, 0, 0, 0, 0, 0}));
    });
    TRegOptions store(FDir.CfgFile(), UninstallKey);
    TRegStringParam owner(&store, "Security", "Owner");
    TCardinalParam left(&store, "MainForm", "Left");
    EXPECT_EQ(left.GetValue(), 0u);
    EXPECT_EQ(owner.GetValue(), "Shop");
    EXPECT_EQ(CfgTestDir::Read(FDir.CfgFile()), "[Security]\r\nOwner=Shop\r\n\r\n");
}

TEST_F(RegOptionsTest, UnwritableFileStillGivesTheRegistryValue)
{
    PutRegistry([](TRegistry& reg) { reg.WriteBinaryData("Password", CardinalToRegBytes(0x727FE128)); });
    TRegOptions store(FDir.Path() + "/missing/tarnovell.cfg", UninstallKey);
    TRegCardinalParam password(&store, "Security", "Password");
    EXPECT_EQ(password.GetValue(), 0x727FE128u);
}
