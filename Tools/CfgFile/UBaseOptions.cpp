#include "UBaseOptions.h"

#include "UException.h"

namespace tv {

TParam::TParam(TCfgOptions* owner, std::string scName, std::string prName)
    : FOwner(owner), FScName(std::move(scName)), FPrName(std::move(prName))
{
    TV_ASSERT(FOwner, "Not assigned owner param of constructor");
    TV_ASSERT(!FScName.empty(), "Empty scName parameter of constructor");
    TV_ASSERT(!FPrName.empty(), "Empty prName parameter of constructor");
}

TParam::~TParam() = default;

std::recursive_mutex& TParam::OwnerLock() const
{
    return FOwner->Lock();
}

void TParam::Load()
{
    if (!IsEmpty())
        return;
    try {
        FOwner->ReadParam(*this);
    } catch (...) {
        Clear();
    }
}

void TParam::Save()
{
    try {
        FOwner->WriteParam(*this);
    } catch (...) {
        Clear();
    }
}

TCfgOptions::TCfgOptions(const std::string& fileName) : FIni(fileName) {}

TCfgOptions::~TCfgOptions() = default;

void TCfgOptions::ReadParam(TParam& param)
{
    std::lock_guard guard(FLock);
    param.Reader()->ReadIni(FIni);
}

void TCfgOptions::WriteParam(TParam& param)
{
    std::lock_guard guard(FLock);
    TIniFile::Image before = FIni.GetImage();
    try {
        param.Reader()->WriteIni(FIni);
    } catch (...) {
        FIni.SetImage(std::move(before));
        throw;
    }
    if (!FIni.UpdateFile()) {
        FIni.SetImage(std::move(before));
        throw Exception("Cannot write the configuration file " + FIni.FileName(), "EWriteError");
    }
}

namespace {

const std::string& CheckedKeyName(const std::string& regKeyName)
{
    TV_ASSERT(!regKeyName.empty(), "Empty regKeyName param");
    return regKeyName;
}

// Closes the registry key however the block ends.
class TKeyCloser {
public:
    explicit TKeyCloser(TRegistry& reg) : FReg(reg) {}
    ~TKeyCloser() { FReg.CloseKey(); }
    TKeyCloser(const TKeyCloser&) = delete;
    TKeyCloser& operator=(const TKeyCloser&) = delete;

private:
    TRegistry& FReg;
};

} // namespace

// The key name is checked before the file is read.
TRegOptions::TRegOptions(const std::string& fileName, const std::string& regKeyName)
    : TCfgOptions((CheckedKeyName(regKeyName), fileName)), FRegKeyName(regKeyName)
{
}

TRegOptions::~TRegOptions() = default;

void TRegOptions::ReadParam(TParam& param)
{
    std::lock_guard guard(Lock());
    try {
        TCfgOptions::ReadParam(param);
        if (!param.IsEmpty())
            return;
    } catch (...) {
    }
    auto* reader = dynamic_cast<IRegReader*>(param.Reader());
    if (!reader)
        return;
    param.Clear();
    {
        TKeyCloser closer(FRegistry);
        if (FRegistry.OpenKey(FRegKeyName, false))
            reader->ReadReg(FRegistry);
    }
    if (param.IsEmpty())
        return;
    // Copying the value into the file is best effort: a file that cannot be
    // written must not hide the value the registry holds.
    try {
        TCfgOptions::WriteParam(param);
    } catch (...) {
    }
}

void TRegOptions::WriteParam(TParam& param)
{
    std::lock_guard guard(Lock());
    TCfgOptions::WriteParam(param);
    auto* reader = dynamic_cast<IRegReader*>(param.Reader());
    if (!reader)
        return;
    TKeyCloser closer(FRegistry);
    if (FRegistry.OpenKey(FRegKeyName, false))
        reader->WriteReg(FRegistry);
}

} // namespace tv
