#include "UPassword.h"

#include "../CfgFile/CfgTestDir.h"
#include "UException.h"
#include "UFileUtils.h"
#include "UHash.h"

#include <gtest/gtest.h>

using namespace tv;

namespace {

const std::string UninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnovell";

class PasswordTest : public ::testing::Test {
protected:
    std::string Dir() const { return FDir.Path(); }
    std::string CfgFile() const { return FDir.CfgFile(); }
    std::string Read() const { return CfgTestDir::Read(CfgFile()); }

    CfgTestDir FDir;
};

} // namespace

TEST_F(PasswordTest, EmptyPasswordIsTheNoPasswordValue)
{
    TSecurityOptions options(CfgFile(), UninstallKey);
    TPass pass(&options);
    ASSERT_TRUE(pass.SetPassword(""));
    EXPECT_EQ(Read(), "[Security]\r\nPassword=7E2B4A19\r\n\r\n");
    EXPECT_TRUE(pass.IsEmpty());
    EXPECT_TRUE(pass.Check(""));
    EXPECT_FALSE(pass.Check("abc"));
}

TEST_F(PasswordTest, PasswordComparesExactlyAsTyped)
{
    {
        TSecurityOptions options(CfgFile(), UninstallKey);
        TPass pass(&options);
        ASSERT_TRUE(pass.SetPassword("abc"));
    }
    EXPECT_EQ(Read(), "[Security]\r\nPassword=727FE128\r\n\r\n");
    TSecurityOptions options(CfgFile(), UninstallKey);
    TPass pass(&options);
    EXPECT_TRUE(pass.Check("abc"));
    EXPECT_FALSE(pass.Check("ABC"));
    EXPECT_FALSE(pass.Check("abc "));
    EXPECT_FALSE(pass.Check(""));
    EXPECT_FALSE(pass.IsEmpty());
}

TEST_F(PasswordTest, NothingStoredIsNeitherEmptyNorMatching)
{
    TSecurityOptions options(CfgFile(), UninstallKey);
    TPass pass(&options);
    EXPECT_FALSE(pass.IsEmpty());
    EXPECT_FALSE(pass.Check(""));
    EXPECT_FALSE(pass.Check("abc"));
}

TEST_F(PasswordTest, RegistryFallbackAnswersWhenTheFileHasNoValue)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(UninstallKey, true));
    }
    {
        TSecurityOptions options(Dir() + "/other.cfg", UninstallKey);
        TPass pass(&options);
        ASSERT_TRUE(pass.SetPassword("abc"));
    }
    TSecurityOptions options(CfgFile(), UninstallKey);
    TPass pass(&options);
    EXPECT_TRUE(pass.Check("abc"));
    EXPECT_EQ(Read(), "[Security]\r\nPassword=727FE128\r\n\r\n");
}

TEST_F(PasswordTest, SetPasswordThatDoesNotReachTheDiskAnswersFalse)
{
    struct Row {
        const char* name;
        std::string file;
    };
    ASSERT_TRUE(WriteFileAtomic(Dir() + "/plain", "x"));
    const std::vector<Row> rows = {
        {"missing folder", Dir() + "/missing/tarnovell.cfg"},
        {"folder is a file", Dir() + "/plain/tarnovell.cfg"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TSecurityOptions options(row.file, UninstallKey);
        TPass pass(&options);
        EXPECT_FALSE(pass.SetPassword("abc"));
        EXPECT_FALSE(pass.SetPassword(""));
        EXPECT_FALSE(pass.Check("abc"));
    }
}

TEST_F(PasswordTest, OverlongTextAndMissingStore)
{
    TSecurityOptions options(CfgFile(), UninstallKey);
    TPass pass(&options);
    ASSERT_TRUE(pass.SetPassword("abc"));
    EXPECT_THROW(pass.SetPassword(std::string(65536, 'x')), ERangeError);
    EXPECT_THROW(pass.Check(std::string(65536, 'x')), ERangeError);
    EXPECT_TRUE(pass.Check("abc")) << "nothing was stored";
    EXPECT_TRUE(pass.SetPassword(std::string(65535, 'x')));
    try {
        TPass none(nullptr);
        ADD_FAILURE() << "no assertion";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Text(), "Not assigned TProgOptions-parameter for create TPass-object");
    }
}
