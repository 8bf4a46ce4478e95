// Any bytes as a configuration file: a rewrite that sets one value keeps
// what every other line means, and a second rewrite changes nothing.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "UIniFile.h"

using namespace tv;

namespace {

std::string Path()
{
    static const std::string path = "/tmp/tv_fuzz_ini_" + std::to_string(::getpid()) + ".cfg";
    return path;
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::ofstream(Path(), std::ios::binary | std::ios::trunc)
        << std::string(reinterpret_cast<const char*>(data), size);
    TIniFile ini(Path());
    ini.WriteString("Security", "Password", "7E2B4A19");
    Check(ini.UpdateFile());
    TIniFile again(Path());
    Check(again.Text() == ini.Text());
    Check(again.ReadString("Security", "Password", "-") == "7E2B4A19");
    again.WriteString("Security", "Password", "7E2B4A19");
    Check(again.UpdateFile());
    Check(TIniFile(Path()).Text() == again.Text());
    return 0;
}
