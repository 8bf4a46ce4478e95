#include "URegistry.h"

#include "UFileUtils.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace tv;

namespace {

const std::string UninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnovell";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        ::setenv("XDG_CONFIG_HOME", FDir.path().toStdString().c_str(), 1);
    }
    std::string StoreFile() const { return FDir.path().toStdString() + "/tarnovell/registry"; }

    QTemporaryDir FDir;
};

} // namespace

TEST_F(RegistryTest, StoreLivesUnderTheUsersConfigFolder)
{
    EXPECT_EQ(TRegistry::DefaultStoreFile(), StoreFile());
    TRegistry reg;
    EXPECT_EQ(reg.StoreFile(), StoreFile());
    EXPECT_FALSE(reg.OpenKey(UninstallKey, false));
    std::string data;
    EXPECT_FALSE(ReadWholeFile(StoreFile(), data)) << "opening without create writes nothing";
}

TEST_F(RegistryTest, TypedValuesSurviveAFreshObject)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(UninstallKey, true));
        reg.WriteString("DisplayName", "Tarnovell \"1\"\r\nback\\slash");
        reg.WriteInteger("NoModify", -2);
        reg.WriteBinaryData("Password", {0x10, 0x27, 0, 0, 0, 0, 0, 0});
        reg.WriteBinaryData("Empty", {});
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(UninstallKey, false));
    EXPECT_EQ(reg.ReadString("DisplayName"), "Tarnovell \"1\"\r\nback\\slash");
    EXPECT_EQ(reg.ReadInteger("NoModify"), -2);
    EXPECT_EQ(reg.ReadBinaryData("Password"), (std::vector<uint8_t>{0x10, 0x27, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(reg.ReadBinaryData("Empty").empty());
    EXPECT_EQ(reg.GetDataType("DisplayName"), TRegDataType::rdString);
    EXPECT_EQ(reg.GetDataType("NoModify"), TRegDataType::rdInteger);
    EXPECT_EQ(reg.GetDataType("Password"), TRegDataType::rdBinary);
    EXPECT_EQ(reg.GetDataType("Missing"), TRegDataType::rdUnknown);
    EXPECT_EQ(reg.GetDataSize("Password"), 8);
    EXPECT_EQ(reg.GetDataSize("NoModify"), 4);
    EXPECT_EQ(reg.GetDataSize("Missing"), -1);
    EXPECT_TRUE(reg.ValueExists("password")) << "names ignore letter case";
    EXPECT_FALSE(reg.ValueExists("Missing"));
}

TEST_F(RegistryTest, ReadingAnotherTypeRaises)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(UninstallKey, true));
    reg.WriteInteger("Number", 5);
    reg.WriteString("Text", "x");
    EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Missing"), ERegistryException);
    EXPECT_EQ(reg.ReadString("Missing"), "");
    reg.WriteString("Number", "now text");
    EXPECT_EQ(reg.ReadString("Number"), "now text");
}

TEST_F(RegistryTest, PathsFromRootAndFromOpenKey)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Vendor", true));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Vendor");
    ASSERT_TRUE(reg.OpenKey("Sub\\Leaf", true));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Vendor\\Sub\\Leaf");
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists("SOFTWARE\\Vendor\\Sub"));
    EXPECT_TRUE(reg.KeyExists("\\software\\vendor\\sub\\leaf"));
    EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\Vendor\\Su"));

    EXPECT_TRUE(reg.DeleteKey("\\SOFTWARE\\Vendor\\Sub"));
    EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\Vendor\\Sub\\Leaf"));
    EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Vendor"));
    EXPECT_FALSE(reg.DeleteKey("\\SOFTWARE\\Vendor\\Sub"));
}

TEST_F(RegistryTest, DeletedValueAndDeletedOpenKey)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(UninstallKey, true));
    reg.WriteString("A", "1");
    EXPECT_TRUE(reg.DeleteValue("a"));
    EXPECT_FALSE(reg.ValueExists("A"));
    EXPECT_FALSE(reg.DeleteValue("A"));

    TRegistry other;
    ASSERT_TRUE(other.DeleteKey(UninstallKey));
    EXPECT_THROW(reg.WriteString("A", "2"), ERegistryException) << "the open key is gone";
}

TEST_F(RegistryTest, UnwritableStoreRaisesOnWrite)
{
    // A regular file where the folder of the store should be stops root too.
    ASSERT_TRUE(WriteFileAtomic(FDir.path().toStdString() + "/tarnovell", "not a folder"));
    TRegistry reg;
    EXPECT_THROW(reg.OpenKey(UninstallKey, true), ERegistryException);
    EXPECT_FALSE(reg.OpenKey(UninstallKey, false));
}

TEST_F(RegistryTest, DamagedLinesAreSkipped)
{
    std::filesystem::create_directories(FDir.path().toStdString() + "/tarnovell");
    ASSERT_TRUE(WriteFileAtomic(StoreFile(),
        "garbage\r\n[SOFTWARE\\K]\r\n\"Good\"=dword:0000000A\r\n\"Bad\"=dword:12\r\n"
        "\"Bin\"=hex:01,0G\r\nnoise\r\n\"Text\"=\"a\\x41\"\r\n"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\K", false));
    EXPECT_EQ(reg.ReadInteger("Good"), 10);
    EXPECT_FALSE(reg.ValueExists("Bad"));
    EXPECT_FALSE(reg.ValueExists("Bin"));
    EXPECT_EQ(reg.ReadString("Text"), "aA");
}

// Lines the store cannot read are no values, but a write keeps them with
// their key; a key deleted takes its own with it.
TEST_F(RegistryTest, AWriteKeepsTheLinesTheStoreCannotRead)
{
    std::filesystem::create_directories(FDir.path().toStdString() + "/tarnovell");
    const std::string before =
        "garbage before any key\r\n[SOFTWARE\\K]\r\n\"Good\"=dword:0000000A\r\n\"Bad\"=dword:12\r\n"
        "[half a key\r\n\"Text\"=\"a\\x41\"\r\n\r\n[SOFTWARE\\Gone]\r\nnoise of the gone key\r\n";
    ASSERT_TRUE(WriteFileAtomic(StoreFile(), before));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\K", false));
    reg.WriteInteger("New", 5);
    reg.DeleteKey("\\SOFTWARE\\Gone");
    std::string after;
    ASSERT_TRUE(ReadWholeFile(StoreFile(), after));
    for (const char* kept : {"garbage before any key\r\n", "\"Bad\"=dword:12\r\n", "[half a key\r\n"})
        EXPECT_NE(after.find(kept), std::string::npos) << kept << " was dropped:\n" << after;
    EXPECT_EQ(after.find("noise of the gone key"), std::string::npos) << after;
    EXPECT_LT(after.find("[SOFTWARE\\K]"), after.find("\"Bad\"")) << "kept in its key";

    TRegistry again;
    ASSERT_TRUE(again.OpenKey("\\SOFTWARE\\K", false));
    EXPECT_EQ(again.ReadInteger("Good"), 10);
    EXPECT_EQ(again.ReadInteger("New"), 5);
    EXPECT_EQ(again.ReadString("Text"), "aA");
    EXPECT_FALSE(again.ValueExists("Bad"));
    again.WriteInteger("New", 6);
    std::string third;
    ASSERT_TRUE(ReadWholeFile(StoreFile(), third));
    EXPECT_EQ(third.size(), after.size()) << "the kept lines are not written twice";
}

TEST_F(RegistryTest, TwoThreadsWritingKeepEveryValue)
{
    constexpr int Rounds = 100;
    auto writer = [](const char* prefix) {
        TRegistry reg;
        reg.OpenKey("\\SOFTWARE\\Threads", true);
        for (int i = 0; i < Rounds; ++i)
            reg.WriteInteger(prefix + std::to_string(i % 10), i);
    };
    std::thread a(writer, "A"), b(writer, "B");
    a.join();
    b.join();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Threads", false));
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(reg.ReadInteger("A" + std::to_string(k)), 90 + k);
        EXPECT_EQ(reg.ReadInteger("B" + std::to_string(k)), 90 + k);
    }
}
