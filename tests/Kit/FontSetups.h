#pragma once
// The font set-ups of a store's machines, each one family's files alone, the
// face given for the window's and the printed list's families.
// RunUnderFontSetups runs a test program once per set-up (and per screen
// scale asked for), so that no test measures the build machine's fonts:
//
//     int main(int argc, char** argv)
//     {
//         return testkit::RunUnderFontSetups(argc, argv, [](int argc, char** argv) {
//             QApplication app(argc, argv);
//             TestQSomething test;
//             return QTest::qExec(&test, argc, argv);
//         }, {"1", "2"});
//     }
//
// CurrentFontSetup() and CurrentScale() tell a run which it is.

#include "PrivateFonts.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstring>
#include <functional>
#include <spawn.h>
#include <string>
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
    {"noto", "Noto Sans", "/usr/share/fonts/truetype/noto"},
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

// The screen scale of this run of RunUnderFontSetups: 1 unless asked.
inline double CurrentScale()
{
    bool ok = false;
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && scale > 0 ? scale : 1.0;
}

// Without "--font-setup NAME" the program runs itself once per set-up and
// scale with the same arguments and fails when one run fails; with it
// (and "--scale S"), FONTCONFIG_FILE names the set-up, QT_SCALE_FACTOR is
// the scale and run gets the arguments less those. Make the application
// inside run.
inline int RunUnderFontSetups(int argc, char** argv, const std::function<int(int, char**)>& run,
                              const std::vector<std::string>& scales = {"1"})
{
    if (argc >= 3 && std::strcmp(argv[1], "--font-setup") == 0) {
        const TFontSetup* setup = FindFontSetup(argv[2]);
        if (!setup) return 3;
        int used = 3;
        if (argc >= 5 && std::strcmp(argv[3], "--scale") == 0) {
            qputenv("QT_SCALE_FACTOR", argv[4]);
            used = 5;
        }
        if (!QFileInfo(QString(setup->Folder)).isDir()) {
            std::fprintf(stderr, "%s is missing: scripts/install-deps.sh installs it\n", setup->Folder);
            return 4;
        }
        const TPrivateFonts fonts({setup->Folder}, setup->Face);
        if (!fonts.Ok()) return 5;
        qputenv("TV_FONT_SETUP", setup->Name);
        std::vector<char*> rest{argv[0]};
        rest.insert(rest.end(), argv + used, argv + argc);
        rest.push_back(nullptr);
        return run(static_cast<int>(rest.size()) - 1, rest.data());
    }
    int failed = 0;
    for (const TFontSetup& setup : FontSetups)
        for (const std::string& scale : scales) {
            std::vector<char*> args{argv[0], const_cast<char*>("--font-setup"), const_cast<char*>(setup.Name),
                                    const_cast<char*>("--scale"), const_cast<char*>(scale.c_str())};
            args.insert(args.end(), argv + 1, argv + argc);
            args.push_back(nullptr);
            std::printf("********* Font set-up %s, scale %s *********\n", setup.Name, scale.c_str());
            std::fflush(stdout);
            pid_t child = 0;
            int status = 0;
            if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, args.data(), environ) != 0 ||
                waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                std::printf("FAIL!  : font set-up %s, scale %s\n", setup.Name, scale.c_str());
                ++failed;
            }
        }
    return failed;
}

} // namespace tv::testkit
