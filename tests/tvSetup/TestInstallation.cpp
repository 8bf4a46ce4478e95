// The installation's steps into a temporary home: every file, the
// configuration file's bytes, the uninstall entry, the menu and desktop
// entries, the overwrite answers and each step's failure with its memo lines.
// Full and read-only file systems are made as small memory file systems in
// a mount namespace of the test's own when the system allows one.

#include "SetupTestHome.h"

#include "UDeskLink.h"
#include "UInstallation.h"
#include "URegistry.h"
#include "USetupTextConst.h"
#include "UVersion.h"
#include "UCarried.h"

#include <gtest/gtest.h>

#include <QXmlStreamReader>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tv;

namespace {

bool OwnMounts = false;

bool WriteProcFile(const char* file, const std::string& text)
{
    const int fd = ::open(file, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// Before any thread starts: a mount namespace (inside a user namespace for
// an ordinary user) whose mounts no other process sees.
bool EnterMountNamespace()
{
    if (::geteuid() != 0) {
        const std::string uid = std::to_string(::geteuid());
        const std::string gid = std::to_string(::getegid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        WriteProcFile("/proc/self/setgroups", "deny");
        if (!WriteProcFile("/proc/self/uid_map", "0 " + uid + " 1") ||
            !WriteProcFile("/proc/self/gid_map", "0 " + gid + " 1"))
            return false;
    } else if (::unshare(CLONE_NEWNS) != 0) {
        return false;
    }
    return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A memory file system of the size on the folder (made when missing).
bool MountSmall(const std::string& folder, const std::string& size, bool readOnly)
{
    QDir().mkpath(QString::fromStdString(folder));
    const std::string options = "size=" + size;
    return ::mount("tvsetup", folder.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
}

std::string Carried(const char* name) { return TSetupTestHome::Read(std::string(TV_CARRIED_DIR) + "/" + name); }

bool IsExecutable(const std::string& file)
{
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 && (st.st_mode & 0100) != 0;
}

// Runs the shell command; its exit status (-1 when it did not run) and what
// it wrote.
int RunCommand(const std::string& command, std::string& output)
{
    output.clear();
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buf[256];
    while (std::fgets(buf, sizeof buf, pipe) != nullptr)
        output += buf;
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The desktop's validator finds nothing to say about the file.
void ExpectValid(const std::string& file)
{
    if (::access("/usr/bin/desktop-file-validate", X_OK) != 0)
        return;
    std::string output;
    EXPECT_EQ(RunCommand("desktop-file-validate '" + file + "' 2>&1", output), 0) << output;
    EXPECT_EQ(output, "") << file;
}

// The entries of this installation ("Tarnovell-..."), each as its submenu
// path, a tab and its id, as GNOME's menu reader lists them in the
// applications menu of the desktop whose menu prefix is given.
std::vector<std::string> MenuEntries(const std::string& prefix)
{
    std::string output;
    const int status = RunCommand("XDG_MENU_PREFIX=" + prefix + " /usr/bin/python3 '" + TV_MENU_READER +
                                      "' applications.menu 2>&1",
                                  output);
    EXPECT_EQ(status, 0) << "the menu reader (python3-gi, gir1.2-gmenu-3.0): " << output;
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        const std::string line = output.substr(start, end - start);
        if (line.find("\tTarnovell-") != std::string::npos)
            entries.push_back(line);
        start = end + 1;
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// One installation's home, memo and steps; no program runs from the folder.
struct TRun {
    TRun() { Steps.CloseProgram = [](const std::string&) { return true; }; }

    TSetupTestHome Home;
    TMemoView View;
    TInstallation Steps{View};
};

class InstallTest : public ::testing::Test, public TRun {
protected:
    void SetUp() override
    {
        SetEngText();
        Choice.InstallPath = Home.Folder();
    }

    // The key of the failure, "" when the installation succeeded.
    std::string Run()
    {
        try {
            Steps.Install(Choice);
        } catch (const Exception& e) {
            return e.Message();
        }
        return "";
    }

    // The memo from the first line that begins with prefix.
    std::vector<std::string> LinesFrom(const std::string& prefix) const
    {
        for (auto it = View.Lines.begin(); it != View.Lines.end(); ++it)
            if (it->rfind(prefix, 0) == 0)
                return {it, View.Lines.end()};
        return {};
    }

public:
    TInstallChoice Choice;
};

TEST_F(InstallTest, FreshInstallationWritesEveryFileAndShowsEachStep)
{
    ASSERT_EQ(Run(), "");
    const std::string f = Home.Folder();
    const std::string g = Home.Group();
    const std::string d = Home.Desktop();
    const std::vector<std::string> expected = {
        "Checking working software availability   - Ok", "",
        "Checking free space on the hard drive   - Ok", "",
        "Creating installation directory   - Ok", "",
        "Copying program files   - Ok", "    " + f + "tarnovell", "    " + f + "uninstall",
        "    " + f + "tarnovell.png", "",
        "Creating a program entry in the Registry   - Ok", "",
        "Creating configuration file   - Ok", "    " + f + "tarnovell.cfg", "",
        "Creating program group in the Start Menu   - Ok", "    " + g + "Tarnovell.desktop",
        "    " + g + "Uninstall.desktop", "",
        "Creating a shortcut on the Desktop   - Ok", "    " + d + "Tarnovell.desktop", "",
    };
    EXPECT_EQ(View.Lines, expected);
    EXPECT_TRUE(View.Asked.empty());

    const std::string program = Carried("tarnovell");
    const std::string uninstaller = Carried("uninstall");
    ASSERT_FALSE(program.empty());
    ASSERT_FALSE(uninstaller.empty());
    EXPECT_EQ(TSetupTestHome::Read(f + "tarnovell"), program);
    EXPECT_EQ(TSetupTestHome::Read(f + "uninstall"), uninstaller);
    EXPECT_TRUE(IsExecutable(f + "tarnovell"));
    EXPECT_TRUE(IsExecutable(f + "uninstall"));
    EXPECT_EQ(TSetupTestHome::Read(f + "tarnovell.png").substr(1, 3), "PNG");
    EXPECT_EQ(TSetupTestHome::Read(f + "tarnovell.cfg"),
              "[Security]\r\nPassword=7E2B4A19\r\n\r\n[Language]\r\nProgLang=ENG\r\n\r\n");
    EXPECT_EQ(QDir(QString::fromStdString(f)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"tarnovell", "tarnovell.cfg", "tarnovell.png", "uninstall"}));

    const std::uint32_t size = static_cast<std::uint32_t>(program.size() / 1024 + uninstaller.size() / 1024 +
                                                          TSetupTestHome::Read(f + "tarnovell.png").size() / 1024);
    EXPECT_EQ(Steps.TotalSize(), size);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(UninstallKey, false));
    EXPECT_EQ(reg.ReadString("DisplayName"), "Tarnovell");
    EXPECT_EQ(reg.ReadString("UninstallString"), f + "uninstall");
    EXPECT_EQ(reg.ReadString("DisplayIcon"), f + "tarnovell");
    EXPECT_EQ(reg.ReadString("DisplayVersion"), Steps.ProductVersion);
    EXPECT_EQ(reg.ReadInteger("NoModify"), 1);
    EXPECT_EQ(reg.ReadInteger("NoRepair"), 1);
    EXPECT_EQ(reg.ReadString("Publisher"), "www.example.org");
    EXPECT_EQ(reg.ReadString("UrlInfoAbout"), "http://www.example.org/tarnovell/en/index.htm");
    EXPECT_EQ(reg.ReadString("UrlUpdateInfo"), "http://www.example.org/tarnovell/en/download.htm");
    EXPECT_EQ(reg.ReadString("HelpLink"), "http://www.example.org/tarnovell/en/help.htm");
    EXPECT_EQ(reg.ReadInteger("InstallLang"), 2);
    EXPECT_EQ(reg.ReadInteger("EstimatedSize"), static_cast<std::int32_t>(size));
}

TEST_F(InstallTest, EntriesStartTheInstalledProgramsAndPassTheValidator)
{
    ASSERT_EQ(Run(), "");
    const std::string f = Home.Folder();
    const struct {
        std::string Link;
        std::string Target;
        std::string Name;
        std::string Comment;
        std::string WindowClass;
    } entries[] = {
        {Home.Group() + "Tarnovell.desktop", f + "tarnovell", "Tarnovell", "Warehouse calculation", "tarnovell"},
        {Home.Group() + "Uninstall.desktop", f + "uninstall", "Uninstall Tarnovell", "Uninstall Tarnovell software",
         "uninstall"},
        {Home.Desktop() + "Tarnovell.desktop", f + "tarnovell", "Tarnovell", "Warehouse calculation", "tarnovell"},
    };
    for (const auto& e : entries) {
        SCOPED_TRACE(e.Link);
        EXPECT_TRUE(IsExecutable(e.Link));
        EXPECT_EQ(TSetupTestHome::Read(e.Link),
                  "[Desktop Entry]\nType=Application\nVersion=1.0\nName=" + e.Name + "\nComment=" + e.Comment +
                      "\nExec=\"" + e.Target + "\"\nPath=" + f + "\nIcon=" + f + "tarnovell.png\nTerminal=false\n"
                      "StartupWMClass=" + e.WindowClass + "\n");
        EXPECT_TRUE(LinkStarts(e.Link, e.Target));
        ExpectValid(e.Link);
    }
    // The group is a submenu of its own.
    const std::string directory = Home.Home() + "/.local/share/desktop-directories/tarnovell.directory";
    EXPECT_EQ(TSetupTestHome::Read(directory),
              "[Desktop Entry]\nType=Directory\nVersion=1.0\nName=Tarnovell\nIcon=" + f + "tarnovell.png\n");
    ExpectValid(directory);
    const std::string menu = TSetupTestHome::Read(Home.Home() + "/.config/menus/applications-merged/tarnovell.menu");
    const std::string files = "      <Filename>Tarnovell-Tarnovell.desktop</Filename>\n"
                              "      <Filename>Tarnovell-Uninstall.desktop</Filename>\n";
    EXPECT_NE(menu.find("<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>Tarnovell</Name>\n"
                        "    <Directory>tarnovell.directory</Directory>\n    <Include>\n" + files),
              std::string::npos) << menu;
    QXmlStreamReader xml(QByteArray::fromStdString(menu));
    while (!xml.atEnd()) xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << "\n" << menu;
}

// GNOME's menu reader, with the system menus of GNOME and LXDE, lists each
// entry once, in the group's submenu; without the merged menu file (as
// desktops that read no merged menus see it) each is still listed once.
TEST_F(InstallTest, MenuReadersListEachEntryOnce)
{
    ASSERT_EQ(Run(), "");
    const char* prefixes[] = {"gnome-", "lxde-"};
    for (const char* prefix : prefixes) {
        SCOPED_TRACE(prefix);
        EXPECT_TRUE(TSetupTestHome::Exists(std::string("/etc/xdg/menus/") + prefix + "applications.menu"))
            << "the system menu (gnome-menus, lxmenu-data)";
        EXPECT_EQ(MenuEntries(prefix), (std::vector<std::string>{"Tarnovell\tTarnovell-Tarnovell.desktop",
                                                                 "Tarnovell\tTarnovell-Uninstall.desktop"}));
    }
    ASSERT_EQ(::unlink(MergedMenuFile().c_str()), 0);
    for (const char* prefix : prefixes) {
        SCOPED_TRACE(prefix);
        const std::vector<std::string> entries = MenuEntries(prefix);
        ASSERT_EQ(entries.size(), 2u) << ::testing::PrintToString(entries);
        EXPECT_NE(entries[0].find("\tTarnovell-Tarnovell.desktop"), std::string::npos);
        EXPECT_NE(entries[1].find("\tTarnovell-Uninstall.desktop"), std::string::npos);
    }
}

TEST_F(InstallTest, UninstallEntryIsNamedInTheInstallationLanguage)
{
    const struct {
        unsigned Code;
        const char* Name;
    } rows[] = {{0, "Удалить Tarnovell"}, {1, "Видалити Tarnovell"}, {2, "Uninstall Tarnovell"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TRun run;
        SetLangText(row.Code);
        run.Steps.Install({run.Home.Folder(), row.Code, true, false});
        EXPECT_NE(TSetupTestHome::Read(run.Home.Group() + "Uninstall.desktop").find(std::string("\nName=") + row.Name + "\n"),
                  std::string::npos);
    }
}

TEST_F(InstallTest, LanguageChoiceReachesConfigurationAndEntry)
{
    const struct {
        unsigned Code;
        const char* ProgLang;
        const char* Comment;
        const char* Site;
    } rows[] = {
        {0, "RUS", "Складской учёт", "http://www.example.org/tarnovell/ru/index.htm"},
        {1, "UKR", "Складський облік", "http://www.example.org/tarnovell/uk/index.htm"},
        {2, "ENG", "Warehouse calculation", "http://www.example.org/tarnovell/en/index.htm"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ProgLang);
        TRun run;
        const TSetupTestHome& home = run.Home;
        SetLangText(row.Code);
        run.Steps.Install({home.Folder(), row.Code, true, false});
        EXPECT_EQ(TSetupTestHome::Read(home.Folder() + "tarnovell.cfg"),
                  std::string("[Security]\r\nPassword=7E2B4A19\r\n\r\n[Language]\r\nProgLang=") + row.ProgLang +
                      "\r\n\r\n");
        EXPECT_NE(TSetupTestHome::Read(home.Group() + "Tarnovell.desktop").find(std::string("Comment=") + row.Comment),
                  std::string::npos);
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(UninstallKey, false));
        EXPECT_EQ(reg.ReadInteger("InstallLang"), static_cast<std::int32_t>(row.Code));
        EXPECT_EQ(reg.ReadString("UrlInfoAbout"), row.Site);
    }
}

TEST_F(InstallTest, ClearedBoxesLeaveNoMenuOrDesktopLines)
{
    Choice.MenuGroup = false;
    Choice.DesktopLink = false;
    ASSERT_EQ(Run(), "");
    EXPECT_EQ(View.Lines.back(), "");
    EXPECT_EQ(View.Lines[View.Lines.size() - 2], "    " + Home.Folder() + "tarnovell.cfg");
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Group()));
    EXPECT_FALSE(TSetupTestHome::Exists(Home.Desktop() + "Tarnovell.desktop"));
}

TEST_F(InstallTest, OverAnOldInstallationTheConfigurationIsUpdatedNotReplaced)
{
    QDir().mkpath(QString::fromStdString(Home.Folder()));
    TSetupTestHome::Write(Home.Folder() + "tarnovell.cfg",
                          "[Security]\r\nPassword=12345678\r\n\r\n[Updates]\r\nTestDate=40E61D80\r\nLastVersion=1.2\r\n\r\n"
                          "[Language]\r\nProgLang=ENG\r\n\r\n[Keyboard]\r\nEnhanced=00000002\r\n\r\n"
                          "[GridStore]\r\nWidth=00000064\r\n\r\n");
    Choice.LangCode = langRussian;
    ASSERT_EQ(Run(), "");
    EXPECT_EQ(TSetupTestHome::Read(Home.Folder() + "tarnovell.cfg"),
              "[Security]\r\nPassword=7E2B4A19\r\n\r\n[Updates]\r\nTestDate=\r\nLastVersion=\r\n\r\n"
              "[Language]\r\nProgLang=RUS\r\n\r\n[Keyboard]\r\nEnhanced=00000000\r\n\r\n"
              "[GridStore]\r\nWidth=00000064\r\n\r\n");
}

// Answers of the overwrite question for the files of a second run: each
// declined file keeps its old bytes and counts with its own size; the steps
// that only need the file to exist still succeed.
TEST_F(InstallTest, DeclinedFilesStayAndCountAsInstalled)
{
    ASSERT_EQ(Run(), "");
    const std::string f = Home.Folder();
    const std::string oldProgram(3 * 1024 + 5, 'p');
    TSetupTestHome::Write(f + "tarnovell", oldProgram);
    TSetupTestHome::Write(f + "tarnovell.cfg", "[Language]\r\nProgLang=UKR\r\n");
    TSetupTestHome::Write(Home.Desktop() + "Tarnovell.desktop", "old entry");

    View.Answer = [&](const std::string& file) { return file.find("uninstall") != std::string::npos; };
    View.Asked.clear();
    Steps.Install(Choice);
    EXPECT_EQ(View.Asked, (std::vector<std::string>{f + "tarnovell", f + "uninstall", f + "tarnovell.png",
                                                      f + "tarnovell.cfg", Home.Group() + "Tarnovell.desktop",
                                                      Home.Group() + "Uninstall.desktop",
                                                      Home.Desktop() + "Tarnovell.desktop"}));
    EXPECT_EQ(TSetupTestHome::Read(f + "tarnovell"), oldProgram);
    EXPECT_EQ(TSetupTestHome::Read(f + "tarnovell.cfg"), "[Language]\r\nProgLang=UKR\r\n");
    EXPECT_EQ(TSetupTestHome::Read(Home.Desktop() + "Tarnovell.desktop"), "old entry");
    EXPECT_EQ(Steps.TotalSize(), 3 + Carried("uninstall").size() / 1024 +
                                     TSetupTestHome::Read(f + "tarnovell.png").size() / 1024);
}

TEST_F(InstallTest, RetryAfterAFailureCountsTheSizeAfresh)
{
    // The registry store cannot be written: the first run fails in step 5,
    // after the files were written.
    const std::string store = Home.Home() + "/.config/tarnovell";
    QDir().mkpath(QString::fromStdString(Home.Home() + "/.config"));
    TSetupTestHome::Write(store, "not a folder");
    EXPECT_EQ(Run(), "errOpenRegistryKey");
    const std::uint32_t first = Steps.TotalSize();
    EXPECT_GT(first, 0u);
    ::unlink(store.c_str());
    View.Answer = [](const std::string&) { return true; };
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(Steps.TotalSize(), first);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(UninstallKey, false));
    EXPECT_EQ(reg.ReadInteger("EstimatedSize"), static_cast<std::int32_t>(first));
}

TEST_F(InstallTest, FreeSpaceLimitIsEightMebibytes)
{
    const struct {
        std::int64_t Free;
        const char* Key;
    } rows[] = {{8388607, "errDiskSpace"}, {8388608, ""}, {-1, "errDiskSpace"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Free);
        TRun run;
        const TSetupTestHome& home = run.Home;
        std::string asked;
        run.Steps.FreeSpace = [&](const std::string& folder, std::string& checked) {
            asked = folder;
            checked = home.Home();
            return row.Free;
        };
        std::string key;
        try {
            run.Steps.Install({home.Folder(), 2, false, false});
        } catch (const Exception& e) {
            key = e.Message();
        }
        EXPECT_EQ(key, row.Key);
        EXPECT_EQ(asked, home.Folder());
        if (*row.Key != '\0') {
            EXPECT_EQ(run.View.Lines.back(), "    Not enough free space on the hard drive " + home.Home());
        }
    }
}

TEST_F(InstallTest, FreeSpaceIsReadFromTheNearestExistingFolder)
{
    std::string checked;
    EXPECT_GT(FolderFreeSpace(Home.Home() + "/a/b/c/", checked), 0);
    EXPECT_EQ(checked, Home.Home());
    EXPECT_GT(FolderFreeSpace(Home.Home() + "/", checked), 0);
    EXPECT_EQ(checked, Home.Home());
}

// One row per failure: what is made wrong, the key, the failing step's
// line and the detail line below it (empty: none).
struct TFailureRow {
    const char* Name;
    std::function<void(InstallTest&)> Arrange;
    const char* Key;
    const char* StepLine;
    std::function<std::string(InstallTest&)> Detail;
};

void PrintTo(const TFailureRow& row, std::ostream* out) { *out << row.Name; }

class InstallFailureTest : public InstallTest, public ::testing::WithParamInterface<TFailureRow> {};

TEST_P(InstallFailureTest, FailingStepEndsTheInstallation)
{
    const TFailureRow& row = GetParam();
    row.Arrange(*this);
    EXPECT_EQ(Run(), row.Key);
    const std::vector<std::string> tail = LinesFrom(row.StepLine);
    ASSERT_FALSE(tail.empty()) << "no line " << row.StepLine;
    EXPECT_EQ(tail[0], std::string(row.StepLine) + "   - Error");
    // The step's own detail lines come first; the failure's is the last.
    const std::string detail = row.Detail(*this);
    if (detail.empty()) {
        EXPECT_EQ(tail.size(), 1u);
    } else {
        EXPECT_EQ(tail.back(), detail);
    }
    // Every earlier step line ends in Ok.
    for (const std::string& line : View.Lines)
        if (line.find("   - ") != std::string::npos && line != tail[0]) {
            EXPECT_TRUE(line.ends_with("   - Ok")) << line;
        }
}

const TFailureRow FailureRows[] = {
    {"RunningProgramStays", [](InstallTest& t) { t.Steps.CloseProgram = [](const std::string&) { return false; }; },
     "errCloseRunProgram", "Checking working software availability",
     [](InstallTest&) { return std::string("    Can't close a working copy"); }},
    {"RelativePath", [](InstallTest& t) { t.Choice.InstallPath = "Shop/Tarnovell/"; }, "errPathDrive",
     "Checking free space on the hard drive",
     [](InstallTest&) { return std::string("    Hard drive in the directory is entered incorrectly \"Shop/Tarnovell/\""); }},
    {"MissingParent", [](InstallTest& t) { t.Choice.InstallPath = t.Home.Home() + "/Apps/Tarnovell/"; },
     "errMainDirCreate", "Creating installation directory",
     [](InstallTest& t) { return "    Could'n find the directory  \"" + t.Home.Home() + "/Apps/\""; }},
    {"FolderIsAFile",
     [](InstallTest& t) { TSetupTestHome::Write(t.Home.Home() + "/Tarnovell", "x"); },
     "errMainDirCreate", "Creating installation directory",
     [](InstallTest& t) { return "    " + t.Home.Home() + "/Tarnovell: File exists"; }},
    {"MissingCarriedFile",
     [](InstallTest& t) {
         t.Steps.ReadResource = [](const std::string& type, const std::string& name, std::string& data) {
             return name != "UNINST" && ReadCarriedFile(type, name, data);
         };
     },
     "errFileCopy", "Copying program files", [](InstallTest& t) { return "    " + t.Home.Folder() + "uninstall"; }},
    {"ProgramIsAFolder",
     [](InstallTest& t) { QDir().mkpath(QString::fromStdString(t.Home.Folder() + "tarnovell")); },
     "errFileCopy", "Copying program files",
     [](InstallTest& t) { return "    " + t.Home.Folder() + "tarnovell: Is a directory"; }},
    {"RegistryUnwritable",
     [](InstallTest& t) {
         QDir().mkpath(QString::fromStdString(t.Home.Home() + "/.config"));
         TSetupTestHome::Write(t.Home.Home() + "/.config/tarnovell", "x");
     },
     "errOpenRegistryKey", "Creating a program entry in the Registry",
     [](InstallTest& t) { return "    " + t.Home.Home() + "/.config/tarnovell/registry: Not a directory"; }},
    {"ConfigurationReadOnly",
     [](InstallTest& t) {
         QDir().mkpath(QString::fromStdString(t.Home.Folder()));
         TSetupTestHome::Write(t.Home.Folder() + "tarnovell.cfg", "[Security]\r\nPassword=12345678\r\n");
         ::chmod((t.Home.Folder() + "tarnovell.cfg").c_str(), 0444);
     },
     "errCreateCfgFile", "Creating configuration file",
     [](InstallTest& t) { return "    " + t.Home.Folder() + "tarnovell.cfg"; }},
    {"MenuFolderIsAFile",
     [](InstallTest& t) {
         QDir().mkpath(QString::fromStdString(t.Home.Home() + "/.local/share"));
         TSetupTestHome::Write(t.Home.Home() + "/.local/share/applications", "x");
     },
     "errCreateMenuGroup", "Creating program group in the Start Menu",
     [](InstallTest& t) { return "    " + t.Home.Home() + "/.local/share/applications: Not a directory"; }},
    {"MenuEntryIsAFolder",
     [](InstallTest& t) { QDir().mkpath(QString::fromStdString(t.Home.Group() + "Uninstall.desktop")); },
     "errCreateMenuLnk", "Creating program group in the Start Menu",
     [](InstallTest& t) { return "    " + t.Home.Group() + "Uninstall.desktop: Is a directory"; }},
    {"MenuFolderOfTheDesktopIsAFile",
     [](InstallTest& t) {
         QDir().mkpath(QString::fromStdString(t.Home.Home() + "/.config/menus"));
         TSetupTestHome::Write(t.Home.Home() + "/.config/menus/applications-merged", "x");
     },
     "errCreateMenuGroup", "Creating program group in the Start Menu",
     [](InstallTest& t) {
         return "    " + t.Home.Home() + "/.config/menus/applications-merged/tarnovell.menu: Not a directory";
     }},
    {"DesktopIsAFile", [](InstallTest& t) { TSetupTestHome::Write(t.Home.Home() + "/Desktop", "x"); },
     "errCreateDesktopLnk", "Creating a shortcut on the Desktop",
     [](InstallTest& t) { return "    " + t.Home.Home() + "/Desktop: Not a directory"; }},
};

INSTANTIATE_TEST_SUITE_P(Keys, InstallFailureTest, ::testing::ValuesIn(FailureRows),
                         [](const ::testing::TestParamInfo<TFailureRow>& info) { return info.param.Name; });

TEST_F(InstallTest, FullFileSystemFailsTheSpaceCheck)
{
    if (!OwnMounts)
        GTEST_SKIP() << "no mount namespace of our own";
    const std::string small = Home.Home() + "/small";
    ASSERT_TRUE(MountSmall(small, "4m", false));
    Choice.InstallPath = small + "/Tarnovell/";
    EXPECT_EQ(Run(), "errDiskSpace");
    EXPECT_EQ(View.Lines.back(), "    Not enough free space on the hard drive " + small);
    EXPECT_FALSE(TSetupTestHome::Exists(small + "/Tarnovell"));
    ::umount(small.c_str());
}

// Each row makes one folder read-only in a fresh home; the failing step
// names the path and the system's reason.
TEST_F(InstallTest, UnwritableFoldersFailTheirStepsWithTheReason)
{
    if (!OwnMounts && ::geteuid() == 0)
        GTEST_SKIP() << "no read-only file system and no permission check for this user";
    const std::string reason = std::strerror(OwnMounts ? EROFS : EACCES);
    const struct {
        const char* ReadOnly;  // below the home
        const char* Folder;    // the installation folder below the home
        const char* Key;
        const char* StepLine;
        const char* Path;      // of the detail line, below the home
    } rows[] = {
        {"/ro", "/ro/Tarnovell/", "errMainDirCreate", "Creating installation directory", "/ro/Tarnovell"},
        {"/Tarnovell", "/Tarnovell/", "errFileCopy", "Copying program files", "/Tarnovell/tarnovell"},
        {"/.config", "/Tarnovell/", "errOpenRegistryKey", "Creating a program entry in the Registry",
         "/.config/tarnovell/registry"},
        {"/.local/share", "/Tarnovell/", "errCreateMenuGroup", "Creating program group in the Start Menu",
         "/.local/share/applications"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ReadOnly);
        TRun run;
        const std::string home = run.Home.Home();
        const std::string folder = home + row.ReadOnly;
        if (OwnMounts) {
            ASSERT_TRUE(MountSmall(folder, "16m", true));
        } else {
            QDir().mkpath(QString::fromStdString(folder));
            ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        }
        std::string key;
        try {
            run.Steps.Install({home + row.Folder, 2, true, true});
        } catch (const Exception& e) {
            key = e.Message();
        }
        EXPECT_EQ(key, row.Key);
        const std::vector<std::string>& lines = run.View.Lines;
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.back(), "    " + home + row.Path + ": " + reason);
        const auto step = std::find(lines.begin(), lines.end(), std::string(row.StepLine) + "   - Error");
        EXPECT_NE(step, lines.end());
        if (OwnMounts)
            ::umount(folder.c_str());
        else
            ::chmod(folder.c_str(), 0755);
    }
}

TEST(DeskLink, ExecQuotesAndEscapesThePath)
{
    const struct {
        const char* Path;
        const char* Exec;
    } rows[] = {
        {"/home/u/Tarnovell/tarnovell", R"("/home/u/Tarnovell/tarnovell")"},
        {"/home/u/My Shop/tarnovell", R"("/home/u/My Shop/tarnovell")"},
        {"/home/u/a\"b/tarnovell", R"("/home/u/a\\"b/tarnovell")"},
        {"/home/u/$HOME`x`/tarnovell", R"("/home/u/\\$HOME\\`x\\`/tarnovell")"},
        {"/home/u/back\\slash/tarnovell", R"("/home/u/back\\\\slash/tarnovell")"},
        {"/home/u/100%/tarnovell", R"("/home/u/100%%/tarnovell")"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Path);
        EXPECT_EQ(ExecValue(row.Path), row.Exec);
        EXPECT_EQ(ExecProgram(row.Exec), row.Path);
    }
    EXPECT_EQ(ExecProgram("\"/unterminated"), "");
}

TEST(DeskLink, CommentEscapesWhatWouldBreakTheLine)
{
    const struct {
        const char* Description;
        const char* Comment;
    } rows[] = {
        {"Shop\nbooks", R"(Shop\nbooks)"},
        {"tab\there", R"(tab\there)"},
        {"cr\rlf", R"(cr\rlf)"},
        {"back\\slash", R"(back\\slash)"},
        {" leading blank", R"(\sleading blank)"},
        {"inner blank & <marks>", "inner blank & <marks>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Description);
        const std::string text = DesktopEntryText("/opt/shop/tarnovell", "Tarnovell.desktop", row.Description, "");
        EXPECT_NE(text.find(std::string("\nComment=") + row.Comment + "\n"), std::string::npos) << text;
    }
}

TEST(DeskLink, EntryOfAnotherProgramIsNotOurs)
{
    TSetupTestHome home;
    const std::string link = home.Home() + "/other.desktop";
    TSetupTestHome::Write(link, "[Desktop Entry]\nType=Application\nName=Other\nExec=\"/opt/other/tarnovell\"\n");
    EXPECT_FALSE(LinkStarts(link, home.Folder() + "tarnovell"));
    EXPECT_TRUE(LinkStarts(link, "/opt/other/tarnovell"));
    EXPECT_FALSE(LinkStarts(home.Home() + "/missing.desktop", "/opt/other/tarnovell"));
}

} // namespace

int main(int argc, char** argv)
{
    OwnMounts = EnterMountNamespace();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
