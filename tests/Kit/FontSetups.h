#pragma once
// The font set-ups of a store's machines, each one family's files alone, the
// face given for the window's and the printed list's families.
// RunUnderFontSetups runs a test program once per set-up, so that no test
// measures the build machine's fonts.

#include "PrivateFonts.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstring>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace tv::testkit {

struct TFontSetup {
    const char* Name;
    const char* Face;    // the family fontconfig answers every request with
    const char* Folder;  // where the package puts its files
};

inline const TFontSetup FontSetups[] = {
    {"urw", "Nimbus Sans", "/usr/share/fonts/opentype/urw-base35"},
    {"cantarell", "Cantarell", "/usr/share/fonts/opentype/cantarell"},
    {"liberation", "Liberation Sans", "/usr/share/fonts/truetype/liberation"},
    {"dejavu", "DejaVu Sans", "/usr/share/fonts/truetype/dejavu"},
};

inline const TFontSetup* FindFontSetup(const char* name)
{
    for (const TFontSetup& setup : FontSetups)
        if (std::strcmp(setup.Name, name) == 0) return &setup;
    return nullptr;
}

// The set-up of this run of RunUnderFontSetups.
inline const TFontSetup* CurrentFontSetup()
{
    return FindFontSetup(qgetenv("TV_FONT_SETUP").constData());
}

// Without "--font-setup NAME" the program runs itself once per set-up with
// the same arguments and fails when one run fails; with it, FONTCONFIG_FILE
// names the set-up and run gets the arguments less those two.
inline int RunUnderFontSetups(int argc, char** argv, const std::function<int(int, char**)>& run)
{
    if (argc >= 3 && std::strcmp(argv[1], "--font-setup") == 0) {
        const TFontSetup* setup = FindFontSetup(argv[2]);
        if (!setup) return 3;
        if (!QFileInfo(QString(setup->Folder)).isDir()) {
            std::fprintf(stderr, "%s is missing: scripts/install-deps.sh installs it\n", setup->Folder);
            return 4;
        }
        const TPrivateFonts fonts({setup->Folder}, setup->Face);
        if (!fonts.Ok()) return 5;
        qputenv("TV_FONT_SETUP", setup->Name);
        std::vector<char*> rest{argv[0]};
        rest.insert(rest.end(), argv + 3, argv + argc);
        rest.push_back(nullptr);
        return run(static_cast<int>(rest.size()) - 1, rest.data());
    }
    int failed = 0;
    for (const TFontSetup& setup : FontSetups) {
        std::vector<char*> args{argv[0], const_cast<char*>("--font-setup"), const_cast<char*>(setup.Name)};
        args.insert(args.end(), argv + 1, argv + argc);
        args.push_back(nullptr);
        std::printf("********* Font set-up %s *********\n", setup.Name);
        std::fflush(stdout);
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, args.data(), environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::printf("FAIL!  : font set-up %s\n", setup.Name);
            ++failed;
        }
    }
    return failed;
}

} // namespace tv::testkit
