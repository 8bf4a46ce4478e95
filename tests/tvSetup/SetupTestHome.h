#pragma once
// A temporary home folder for one test: HOME, the XDG folders and the
// folder of the window directory point into it, so the registry store, the
// menu, the desktop and the running programs seen are the test's own. And a
// progress memo that records what the installation shows and asks.

#include "../CfgFile/CfgTestDir.h"
#include "UInstallation.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

class TSetupTestHome {
public:
    TSetupTestHome()
    {
        const std::string home = Home();
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        const std::string runtime = home + "/runtime";
        ::mkdir(runtime.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }

    std::string Home() const { return FDir.path().toStdString(); }
    // The installation folder of the tests, with its delimiter.
    std::string Folder() const { return Home() + "/Tarnovell/"; }
    std::string Group() const { return Home() + "/.local/share/applications/Tarnovell/"; }
    std::string Desktop() const { return Home() + "/Desktop/"; }

    static std::string Read(const std::string& file) { return CfgTestDir::Read(file); }
    static void Write(const std::string& file, const std::string& data) { CfgTestDir::Write(file, data); }
    static bool Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }

private:
    QTemporaryDir FDir;
};

// Records the memo's lines and the files asked about; answers with Answer.
class TMemoView : public tv::IInstallView {
public:
    int AddLine(const std::string& text) override
    {
        Lines.push_back(text);
        return static_cast<int>(Lines.size()) - 1;
    }
    void SetLine(int index, const std::string& text) override { Lines.at(static_cast<std::size_t>(index)) = text; }
    bool CanWriteFile(const std::string& fileName) override
    {
        if (!QFileInfo::exists(QString::fromStdString(fileName)))
            return true;
        Asked.push_back(fileName);
        return Answer(fileName);
    }
    void ProcessMessages() override {}

    std::vector<std::string> Lines;
    std::vector<std::string> Asked;
    std::function<bool(const std::string&)> Answer = [](const std::string&) { return true; };
};
