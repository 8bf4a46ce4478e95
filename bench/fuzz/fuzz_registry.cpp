// Any bytes as the registry store: a write keeps every line it does not
// set (a second write of the same value leaves the file as the first one
// did), values read before are read alike after, and the value written
// reads back.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "UFileUtils.h"
#include "URegistry.h"

using namespace tv;

namespace {

std::string Path()
{
    static const std::string path = "/tmp/tv_fuzz_reg_" + std::to_string(::getpid());
    return path;
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

std::string Read()
{
    std::string data;
    ReadWholeFile(Path(), data);
    return data;
}

// What a reader finds under a few keys and names the store may hold.
std::string Probe()
{
    std::string out;
    TRegistry reg(Path());
    for (const char* key : {"\\", "\\A", "\\SOFTWARE\\K", "\\a\\b"}) {
        if (!reg.OpenKey(key, false)) {
            out += "-|";
            continue;
        }
        for (const char* name : {"", "A", "Good", "x"}) {
            const int type = static_cast<int>(reg.GetDataType(name));
            out += std::to_string(type) + ":" + std::to_string(reg.GetDataSize(name)) + ",";
        }
        out += "|";
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::ofstream(Path(), std::ios::binary | std::ios::trunc)
        << std::string(reinterpret_cast<const char*>(data), size);
    const std::string before = Probe();
    {
        TRegistry reg(Path());
        if (!reg.OpenKey("\\Fuzz\\Target", true))
            return 0;
        reg.WriteInteger("Written", 7);
    }
    const std::string first = Read();
    Check(Probe() == before);
    {
        TRegistry reg(Path());
        Check(reg.OpenKey("\\Fuzz\\Target", false));
        Check(reg.ReadInteger("Written") == 7);
        reg.WriteInteger("Written", 7);
    }
    Check(Read() == first);
    return 0;
}
