// Handing addresses, mails and programs to the desktop, recorded through
// the shell's launcher instead of starting anything.

#include "UContacts.h"
#include "UShell.h"
#include "UStringUtils.h"

#include <QDir>

#include <gtest/gtest.h>

#include <vector>

using namespace tv;

namespace {

class ContactsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FPrevious = SetShellLauncher([this](const TShellRequest& request) {
            FRequests.push_back(request);
            return FAccept;
        });
    }
    void TearDown() override { SetShellLauncher(FPrevious); }

    static std::vector<std::uint8_t> Scrambled(const std::string& text)
    {
        const std::string bytes = UnscrambleText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        return {bytes.begin(), bytes.end()};
    }

    std::vector<TShellRequest> FRequests;
    bool FAccept = true;
    TShellLauncher FPrevious;
};

TEST_F(ContactsTest, RunProgramOpensAddressesAndFiles)
{
    struct Row {
        const char* name;
        std::string target;
        std::string url;
    };
    const std::string cwd = QDir::currentPath().toStdString();
    const std::vector<Row> rows{
        {"web address", "https://tarnovell.example/help", "https://tarnovell.example/help"},
        {"mail address", "mailto:support@tarnovell.example", "mailto:support@tarnovell.example"},
        {"absolute file with blank", "/tmp/price list.txt", "file:///tmp/price%20list.txt"},
        {"relative file", "Data/store.dat", "file://" + cwd + "/Data/store.dat"},
    };
    for (const Row& row : rows) {
        FRequests.clear();
        EXPECT_TRUE(RunProgram(row.target)) << row.name;
        ASSERT_EQ(FRequests.size(), 1u) << row.name;
        EXPECT_EQ(FRequests[0].Kind, TShellRequest::TKind::Open) << row.name;
        EXPECT_EQ(FRequests[0].Target, row.target) << row.name;
        EXPECT_EQ(FRequests[0].Url, row.url) << row.name;
    }
}

TEST_F(ContactsTest, RunProgramReportsRefusalAndEmptyTarget)
{
    EXPECT_FALSE(RunProgram(""));
    EXPECT_FALSE(RunProgram("   "));
    EXPECT_TRUE(FRequests.empty());
    FAccept = false;
    EXPECT_FALSE(RunProgram("https://tarnovell.example/"));
    EXPECT_EQ(FRequests.size(), 1u);
}

TEST_F(ContactsTest, SendMailBuildsTheMailAddress)
{
    const std::vector<std::uint8_t> address = Scrambled("support@tarnovell.example");
    EXPECT_TRUE(SendMail(address.data(), address.size(), "Тема письма", "Line 1\r\nLine 2\tA&B"));
    ASSERT_EQ(FRequests.size(), 1u);
    EXPECT_EQ(FRequests[0].Target,
              "mailto:support@tarnovell.example?subject=Тема%20письма&body=Line%201%0D%0ALine%202\tA&B");
    EXPECT_EQ(FRequests[0].Url.rfind("mailto:support@tarnovell.example?subject=%D0%A2", 0), 0u);

    FAccept = false;
    EXPECT_FALSE(SendMail(address.data(), address.size(), "", ""));
    EXPECT_EQ(FRequests.back().Target, "mailto:support@tarnovell.example?subject=&body=");
}

TEST_F(ContactsTest, OpenScrambledAddressAppendsTheSuffix)
{
    const std::vector<std::uint8_t> site = Scrambled("https://tarnovell.example");
    OpenScrambledAddress(site.data(), site.size(), "/ru/");
    ASSERT_EQ(FRequests.size(), 1u);
    EXPECT_EQ(FRequests[0].Target, "https://tarnovell.example/ru/");
}

TEST_F(ContactsTest, StartingAProgramPassesItsParameters)
{
    EXPECT_TRUE(ShellStart("tarnovell", {"-x", "two words"}, "/tmp"));
    ASSERT_EQ(FRequests.size(), 1u);
    EXPECT_EQ(FRequests[0].Kind, TShellRequest::TKind::Start);
    EXPECT_EQ(FRequests[0].Target, "tarnovell");
    EXPECT_EQ(FRequests[0].Parameters, (std::vector<std::string>{"-x", "two words"}));
    EXPECT_EQ(FRequests[0].Folder, "/tmp");
    EXPECT_FALSE(ShellStart("", {}));
    EXPECT_EQ(FRequests.size(), 1u);
}

TEST_F(ContactsTest, ReplacingTheLauncherGivesBackThePreviousOne)
{
    int other = 0;
    TShellLauncher mine = SetShellLauncher([&other](const TShellRequest&) { return ++other > 0; });
    EXPECT_TRUE(RunProgram("https://tarnovell.example/"));
    EXPECT_EQ(other, 1);
    EXPECT_TRUE(FRequests.empty());
    SetShellLauncher(mine);
    EXPECT_TRUE(RunProgram("https://tarnovell.example/"));
    EXPECT_EQ(FRequests.size(), 1u);
}

} // namespace
