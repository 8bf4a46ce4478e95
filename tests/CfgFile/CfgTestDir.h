#pragma once
// A temporary folder holding a configuration file and the registry store of
// a test, with helpers to read and write files byte for byte.

#include "UFileUtils.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

class CfgTestDir {
public:
    CfgTestDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tvcfg-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        FPath = pattern;
        ::setenv("XDG_CONFIG_HOME", Path().c_str(), 1);
    }
    ~CfgTestDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    CfgTestDir(const CfgTestDir&) = delete;
    CfgTestDir& operator=(const CfgTestDir&) = delete;

    std::string Path() const { return FPath; }
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
    std::string FPath;
};
