#pragma once
// Helpers of the dialog tests: a temporary configuration home, so that no
// test reads or writes the user's settings, a fresh settings file per test
// and a stock book in a temporary program folder.

#include "UProgFolder.h"
#include "UStoreData.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <string>

namespace tv::testkit {

// Points XDG_CONFIG_HOME at the folder; false when the folder could not be made.
inline bool UseConfigHome(const QTemporaryDir& dir)
{
    if (!dir.isValid()) return false;
    ::setenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit().constData(), 1);
    return true;
}

// A settings file in the folder, named after the stem and a number no earlier
// call of the program returned.
inline std::string FreshConfigPath(const QTemporaryDir& dir, const char* stem)
{
    static int n = 0;
    return dir.path().toStdString() + "/" + stem + std::to_string(++n) + ".cfg";
}

// A stock book open in the folder, which is the program folder while the
// object lives.
class TDialogBook {
public:
    explicit TDialogBook(const QTemporaryDir& dir)
    {
        SetProgramFolder(dir.path().toStdString());
        Store.Open(true, "Data");
    }
    ~TDialogBook()
    {
        Store.Close();
        SetProgramFolder(std::string());
    }
    TDialogBook(const TDialogBook&) = delete;
    TDialogBook& operator=(const TDialogBook&) = delete;

    TStore Store;
};

} // namespace tv::testkit
