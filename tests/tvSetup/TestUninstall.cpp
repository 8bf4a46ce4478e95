// The uninstaller's removal after a real installation into a temporary
// home: exactly what the setup wrote goes, the data folders stay, and
// entries of another installation are left alone.

#include "SetupTestHome.h"

#include "UDeskLink.h"
#include "UInstallation.h"
#include "URegistry.h"
#include "USetupTextConst.h"
#include "UUninstall.h"

#include <QDirIterator>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tv;

namespace {

class UninstallTest : public ::testing::Test {
protected:
    void Install(unsigned lang)
    {
        SetLangText(lang);
        TMemoView view;
        TInstallation steps(view);
        steps.CloseProgram = [](const std::string&) { return true; };
        steps.Install({Home.Folder(), lang, true, true});
        // What the program makes beside itself.
        for (const char* folder : {"Data", "Hist/2026-12-10", "Export"})
            QDir().mkpath(QString::fromStdString(Home.Folder() + folder));
        TSetupTestHome::Write(Home.Folder() + "Data/store.dat", "goods");
        TSetupTestHome::Write(Home.Folder() + "Hist/2026-12-10/moves.dat", "moves");
    }

    QStringList Entries(const std::string& folder) const
    {
        QStringList all;
        QDir dir(QString::fromStdString(folder));
        for (const QString& name : dir.entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name))
            all << name;
        return all;
    }

    TSetupTestHome Home;
};

TEST_F(UninstallTest, RemovesWhatTheSetupWroteAndKeepsTheData)
{
    Install(langUkrainian);
    TUninstallation uninstallation(Home.Folder());
    EXPECT_TRUE(uninstallation.RegisteredHere());
    EXPECT_EQ(uninstallation.InstallLang(), unsigned{langUkrainian});
    EXPECT_TRUE(uninstallation.Remove(false).empty());
    EXPECT_EQ(Entries(Home.Folder()), QStringList({"Data", "Export", "Hist", "tarnovell.cfg"}));
    EXPECT_EQ(TSetupTestHome::Read(Home.Folder() + "Data/store.dat"), "goods");
    EXPECT_EQ(TSetupTestHome::Read(Home.Folder() + "Hist/2026-12-10/moves.dat"), "moves");
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Group())) << "the emptied group goes";
    EXPECT_FALSE(TSetupTestHome::Exists(MergedMenuFile()));
    EXPECT_FALSE(TSetupTestHome::Exists(MenuDirectoryFile()));
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Desktop() + "Tarnovell.desktop"));
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(UninstallKey));
    EXPECT_FALSE(uninstallation.RegisteredHere());
    EXPECT_EQ(uninstallation.InstallLang(), unsigned{langEnglish});
}

// The home is reached through a link, and the folder through another; the
// uninstaller knows itself by the resolved path.
TEST(UninstallThroughLinks, NothingOfTheInstallationIsLeft)
{
    QTemporaryDir base;
    const std::string real = base.path().toStdString() + "/real";
    const std::string home = base.path().toStdString() + "/home";
    QDir().mkpath(QString::fromStdString(real + "/shop"));
    ASSERT_EQ(::symlink(real.c_str(), home.c_str()), 0);
    ASSERT_EQ(::symlink((real + "/shop").c_str(), (real + "/Tarnovell").c_str()), 0);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    const std::string folder = home + "/Tarnovell/";

    SetLangText(langRussian);
    TMemoView view;
    TInstallation steps(view);
    steps.CloseProgram = [](const std::string&) { return true; };
    steps.Install({folder, 0, true, true});
    ASSERT_TRUE(TSetupTestHome::Exists(home + "/.config/menus/applications-merged/tarnovell.menu"));

    TUninstallation uninstallation(real + "/shop/");
    EXPECT_EQ(uninstallation.Folder(), folder) << "the folder as the user named it";
    EXPECT_TRUE(uninstallation.RegisteredHere());
    EXPECT_EQ(uninstallation.InstallLang(), unsigned{langRussian});
    EXPECT_TRUE(uninstallation.Remove(true).empty());

    // Only the folders the setup did not make itself stay, and the store.
    QStringList left;
    QDirIterator it(QString::fromStdString(real), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (!entry.isDir() || entry.isSymLink())
            left << entry.filePath().mid(static_cast<int>(real.size()));
    }
    left.sort();
    EXPECT_EQ(left, QStringList({"/.config/tarnovell/registry", "/Tarnovell"}));
    // The store keeps no empty key of the removed entry.
    EXPECT_EQ(TSetupTestHome::Read(real + "/.config/tarnovell/registry").find("SOFTWARE"), std::string::npos)
        << TSetupTestHome::Read(real + "/.config/tarnovell/registry");
}

TEST_F(UninstallTest, KeysBesideTheEntryStay)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", true));
        reg.WriteString("Other", "x");
    }
    Install(langEnglish);
    TUninstallation uninstallation(Home.Folder());
    EXPECT_TRUE(uninstallation.Remove(false).empty());
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false));
    EXPECT_EQ(reg.ReadString("Other"), "x");
}

TEST_F(UninstallTest, ConfigurationGoesOnlyWhenAskedAndAnEmptyFolderWithIt)
{
    Install(langRussian);
    QDir(QString::fromStdString(Home.Folder() + "Data")).removeRecursively();
    QDir(QString::fromStdString(Home.Folder() + "Hist")).removeRecursively();
    QDir(QString::fromStdString(Home.Folder() + "Export")).removeRecursively();
    TUninstallation uninstallation(Home.Folder());
    EXPECT_TRUE(uninstallation.Remove(true).empty());
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Folder()));
}

TEST_F(UninstallTest, EntriesAndRegistrationOfAnotherInstallationStay)
{
    Install(langEnglish);
    // Another installation took the menu, the desktop and the entry since.
    const std::string other = Home.Home() + "/Other/";
    std::string link;
    ASSERT_TRUE(CreateShellLink(other + "tarnovell", ProgramLinkName, "", "", link, Home.Desktop()));
    ASSERT_TRUE(CreateShellLink(other + "uninstall", UninstallLinkName, "", "", link, Home.Group()));
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(UninstallKey, false));
        reg.WriteString("UninstallString", other + "uninstall");
    }
    TUninstallation uninstallation(Home.Folder());
    EXPECT_FALSE(uninstallation.RegisteredHere());
    EXPECT_TRUE(uninstallation.Remove(true).empty());
    EXPECT_EQ(Entries(Home.Group()), QStringList({"Uninstall.desktop"}));
    EXPECT_TRUE(TSetupTestHome::Exists(MergedMenuFile())) << "the other installation's group keeps its submenu";
    EXPECT_TRUE(LinkStarts(Home.Desktop() + "Tarnovell.desktop", other + "tarnovell"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(UninstallKey, false));
    EXPECT_EQ(reg.ReadString("UninstallString"), other + "uninstall");
    EXPECT_EQ(Entries(Home.Folder()), QStringList({"Data", "Export", "Hist"}));
}

TEST_F(UninstallTest, FileThatCannotGoIsReported)
{
    Install(langEnglish);
    // A folder where the program's icon should be cannot be unlinked.
    ::unlink((Home.Folder() + "tarnovell.png").c_str());
    QDir().mkpath(QString::fromStdString(Home.Folder() + "tarnovell.png"));
    TUninstallation uninstallation(Home.Folder());
    EXPECT_EQ(uninstallation.Remove(false), std::vector<std::string>{Home.Folder() + "tarnovell.png"});
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Folder() + "tarnovell"));
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Folder() + "uninstall"));
}

} // namespace
