#pragma once
// A temporary folder holding a configuration file and the registry store of
// a test, with helpers to read and write files byte for byte.

#include "TempFolder.h"
#include "UFileUtils.h"

#include <cstdlib>
#include <string>

#include <stdlib.h>

class CfgTestDir {
public:
    CfgTestDir() { ::setenv("XDG_CONFIG_HOME", Path().c_str(), 1); }

    std::string Path() const { return FFolder.Path(); }
    std::string CfgFile() const { return Path() + "/tarnovell.cfg"; }

    static std::string Read(const std::string& file)
    {
        std::string data;
        tv::ReadWholeFile(file, data);
        return data;
    }
    static void Write(const std::string& file, const std::string& data)
    {
        if (!tv::WriteFileAtomic(file, data))
            std::abort();
    }

private:
    tv::testkit::TTempFolder FFolder{"tvcfg-"};
};
