// The uninstaller's removal after a real installation into a temporary
// home: exactly what the setup wrote goes, the data folders stay, and
// entries of another installation are left alone.

#include "SetupTestHome.h"

#include "UDeskLink.h"
#include "UInstallation.h"
#include "URegistry.h"
#include "UTextConst.h"
#include "UUninstall.h"

#include <gtest/gtest.h>

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
    Install(1);
    TUninstallation uninstallation(Home.Folder());
    EXPECT_TRUE(uninstallation.RegisteredHere());
    EXPECT_EQ(uninstallation.InstallLang(), 1u);
    EXPECT_TRUE(uninstallation.Remove(false).empty());
    EXPECT_EQ(Entries(Home.Folder()), QStringList({"Data", "Export", "Hist", "tarnovell.cfg"}));
    EXPECT_EQ(TSetupTestHome::Read(Home.Folder() + "Data/store.dat"), "goods");
    EXPECT_EQ(TSetupTestHome::Read(Home.Folder() + "Hist/2026-12-10/moves.dat"), "moves");
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Group())) << "the emptied group goes";
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Desktop() + "Tarnovell.desktop"));
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(UninstallKey));
    EXPECT_FALSE(uninstallation.RegisteredHere());
    EXPECT_EQ(uninstallation.InstallLang(), 2u);
}

TEST_F(UninstallTest, ConfigurationGoesOnlyWhenAskedAndAnEmptyFolderWithIt)
{
    Install(0);
    QDir(QString::fromStdString(Home.Folder() + "Data")).removeRecursively();
    QDir(QString::fromStdString(Home.Folder() + "Hist")).removeRecursively();
    QDir(QString::fromStdString(Home.Folder() + "Export")).removeRecursively();
    TUninstallation uninstallation(Home.Folder());
    EXPECT_TRUE(uninstallation.Remove(true).empty());
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Folder()));
}

TEST_F(UninstallTest, EntriesAndRegistrationOfAnotherInstallationStay)
{
    Install(2);
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
    EXPECT_TRUE(LinkStarts(Home.Desktop() + "Tarnovell.desktop", other + "tarnovell"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(UninstallKey, false));
    EXPECT_EQ(reg.ReadString("UninstallString"), other + "uninstall");
    EXPECT_EQ(Entries(Home.Folder()), QStringList({"Data", "Export", "Hist"}));
}

TEST_F(UninstallTest, FileThatCannotGoIsReported)
{
    Install(2);
    // A folder where the program's icon should be cannot be unlinked.
    ::unlink((Home.Folder() + "tarnovell.png").c_str());
    QDir().mkpath(QString::fromStdString(Home.Folder() + "tarnovell.png"));
    TUninstallation uninstallation(Home.Folder());
    EXPECT_EQ(uninstallation.Remove(false), std::vector<std::string>{Home.Folder() + "tarnovell.png"});
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Folder() + "tarnovell"));
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Folder() + "uninstall"));
}

} // namespace
