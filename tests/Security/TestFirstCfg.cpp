#include "ULangOptions.h"
#include "UPassword.h"

#include "UFileUtils.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

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

std::string Read(const std::string& file)
{
    std::string data;
    ReadWholeFile(file, data);
    return data;
}

} // namespace

TEST(FirstCfg, FreshInstallationNeedsNoPassword)
{
    QTemporaryDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.path().toStdString().c_str(), 1);
    const std::string file = dir.path().toStdString() + "/tarnovell.cfg";
    WriteFirstCfg(file, 2);
    EXPECT_EQ(Read(file), "[Security]\r\nPassword=7E2B4A19\r\n\r\n[Language]\r\nProgLang=ENG\r\n\r\n");
    TSecurityOptions options(file, UninstallKey);
    TPass pass(&options);
    EXPECT_TRUE(pass.IsEmpty());
    EXPECT_TRUE(pass.Check(""));
}

TEST(FirstCfg, InstallationOverAnOldOneClearsThePasswordInFileAndRegistry)
{
    QTemporaryDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.path().toStdString().c_str(), 1);
    const std::string file = dir.path().toStdString() + "/tarnovell.cfg";
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(UninstallKey, true));
        TSecurityOptions options(file, UninstallKey);
        TPass pass(&options);
        ASSERT_TRUE(pass.SetPassword("secret"));
    }
    WriteFirstCfg(file, 0);
    EXPECT_EQ(Read(file), "[Security]\r\nPassword=7E2B4A19\r\n\r\n[Language]\r\nProgLang=RUS\r\n\r\n");
    ASSERT_TRUE(WriteFileAtomic(file, "[Language]\r\nProgLang=RUS\r\n"));
    TSecurityOptions options(file, UninstallKey);
    TPass pass(&options);
    EXPECT_TRUE(pass.IsEmpty()) << "the registry fallback holds no old password";
}
