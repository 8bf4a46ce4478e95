// Any bytes as a data file, opened with the goods layout attached and with
// the fields built from the file: a refused file is never changed, a file
// that opens is sound afterwards (its size is what its header counts), and
// opening it again writes nothing and refuses nothing.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "UBaseFld.h"
#include "UDatFile.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UFields.h"
#include "UMoneyFld.h"
#include "UTable.h"

using namespace tv;

namespace {

struct Goods {
    TIntegerField Id;
    TStringField Name{8};
    TMoneyField Price;
    TFields Fields{{&Id, &Name, &Price}};
    Goods() { Id.SetPrimaryKey(true); }
};

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// Opens the file; true when it opened. A refusal leaves the bytes as they were.
bool OpenOnce(TFaultEnv& env, bool attach)
{
    const std::string before = env.Contents("f.dat");
    Goods g;
    TDatFile f;
    f.SetEnv(&env);
    if (attach)
        f.SetFields(&g.Fields);
    f.SetFileName("f.dat");
    try {
        f.Open(false);
    } catch (const Exception&) {
        Check(!f.IsOpen());
        Check(env.Contents("f.dat") == before);
        return false;
    }
    TDatHeader h;
    f.GetHeader(h);
    Check(env.Contents("f.dat").size() == size_t(h.HeaderSize) + size_t(h.RecordCount) * size_t(h.RecordSize));
    Check(h.DeletedCount >= 0 && h.DeletedCount <= h.RecordCount);
    f.Close();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (bool attach : {true, false}) {
        TFaultEnv env;
        env.SetContents("f.dat", bytes);
        if (!OpenOnce(env, attach))
            continue;
        const std::string mended = env.Contents("f.dat");
        Check(OpenOnce(env, attach));
        Check(env.Contents("f.dat") == mended);
    }
    return 0;
}
