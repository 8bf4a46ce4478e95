#include "ULangOptions.h"
#include "UPassword.h"

#include "../CfgFile/CfgTestDir.h"
#include "UFileUtils.h"

#include <gtest/gtest.h>

using namespace tv;

namespace {

const std::string UninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnovell";

// What the installation writes into the installed program's configuration
// file: the no-password value, then the language and keyboard settings.
void WriteFirstCfg(const std::string& file, unsigned langCode)
{
    {
        TSecurityOptions security(file, UninstallKey);
        security.SetPassword(NoPasswordValue);
    }
    WriteLangCfg(file, langCode, 0);
}

} // namespace

TEST(FirstCfg, FreshInstallationNeedsNoPassword)
{
    CfgTestDir dir;
    const std::string file = dir.CfgFile();
    WriteFirstCfg(file, 2);
    EXPECT_EQ(CfgTestDir::Read(file), "[Security]\r\nPassword=7E2B4A19\r\n\r\n[Language]\r\nProgLang=ENG\r\n\r\n");
    TSecurityOptions options(file, UninstallKey);
    TPass pass(&options);
    EXPECT_TRUE(pass.IsEmpty());
    EXPECT_TRUE(pass.Check(""));
}

TEST(FirstCfg, InstallationOverAnOldOneClearsThePasswordInFileAndRegistry)
{
    CfgTestDir dir;
    const std::string file = dir.CfgFile();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(UninstallKey, true));
        TSecurityOptions options(file, UninstallKey);
        TPass pass(&options);
        ASSERT_TRUE(pass.SetPassword("secret"));
    }
    WriteFirstCfg(file, 0);
    EXPECT_EQ(CfgTestDir::Read(file), "[Security]\r\nPassword=7E2B4A19\r\n\r\n[Language]\r\nProgLang=RUS\r\n\r\n");
    ASSERT_TRUE(WriteFileAtomic(file, "[Language]\r\nProgLang=RUS\r\n"));
    TSecurityOptions options(file, UninstallKey);
    TPass pass(&options);
    EXPECT_TRUE(pass.IsEmpty()) << "the registry fallback holds no old password";
}
