#include "UFile.h"

#include "UException.h"

#include <cerrno>
#include <cstring>

namespace tv {

const char* const SOpened = "Недопустимая операция при открытом файле";
const char* const SClosed = "Недопустимая операция при закрытом файле";

namespace {
const char* const SCannotCreate = "Невозможно создать файл";
const char* const SWriteError = "Ошибка записи в файл";
const char* const SReadError = "Ошибка при чтении из файла";
const char* const SReplaced = "Файл данных удален или заменен, изменение не записано";
} // namespace

EFileError::EFileError(const std::string& text, const std::string& path, const std::string& reason,
                       const char* className)
    : Exception(text + "\r\n" + path + (reason.empty() ? "" : ": " + reason), className),
      FText(text), FPath(path), FReason(reason)
{
}

void TFile::Fail(const char* text, int error) const
{
    throw EFileError(text, FFileName, error != 0 ? std::strerror(error) : "");
}

TFile::TFile() : FEnv(TFileEnv::Default()) {}

TFile::~TFile()
{
    if (FOpen) {
        try {
            TFile::Close();
        } catch (...) {
        }
    }
}

void TFile::SetFileName(const std::string& name)
{
    if (FOpen)
        throw Exception(SOpened);
    if (name.empty())
        throw Exception("Пустое имя файла");
    FFileName = name;
}

void TFile::SetEnv(TFileEnv* env)
{
    if (FOpen)
        throw Exception(SOpened);
    FEnv = env ? env : TFileEnv::Default();
}

void TFile::CreateNew(bool Overwrite)
{
    if (FOpen)
        throw Exception(SOpened);
    if (!Overwrite && FEnv->FileExists(FFileName))
        throw Exception("Файл существует");
    errno = 0;
    FHandle = FFileName.empty() ? nullptr : FEnv->CreateFile(FFileName);
    if (!FHandle)
        Fail(SCannotCreate, errno);
    FOpen = true;
}

std::string TFile::TempName(const std::string& name)
{
    return name + ".tmp";
}

void TFile::BeginCreate(bool Overwrite)
{
    if (FOpen)
        throw Exception(SOpened);
    const bool exists = FEnv->FileExists(FFileName);
    if (!Overwrite && exists)
        throw Exception("Файл существует");
    errno = 0;
    if (!FFileName.empty()) {
        if (exists)
            FReplaced = FEnv->OpenFile(FFileName);
        if (!exists || FReplaced)
            FHandle = FEnv->CreateFile(TempName(FFileName));
    }
    if (!FHandle) {
        const int error = errno;
        FReplaced.reset();
        Fail(SCannotCreate, error);
    }
    FTempName = TempName(FFileName);
    FOpen = true;
}

void TFile::CommitCreate()
{
    CheckOpen();
    Flush();
    errno = 0;
    if (!FEnv->RenameFile(FTempName, FFileName, FReplaced != nullptr))
        Fail(SCannotCreate, errno);
    FTempName.clear();
    FReplaced.reset();
    errno = 0;
    if (!FEnv->SyncDir(FFileName))
        Fail(SWriteError, errno);
}

void TFile::Open(bool CreateIfMissing)
{
    if (FOpen)
        throw Exception(SOpened);
    if (!FFileName.empty() && FEnv->FileExists(FFileName)) {
        errno = 0;
        FHandle = FEnv->OpenFile(FFileName);
        if (!FHandle)
            Fail("Ошибка открытия файла", errno);
        FOpen = true;
        return;
    }
    if (!CreateIfMissing)
        throw Exception("Файл не найден");
    CreateNew(false);
}

void TFile::Close()
{
    if (!FOpen)
        throw Exception(SClosed);
    if (!FTempName.empty()) {
        FEnv->RemoveFile(FTempName);
        FTempName.clear();
    }
    FHandle.reset();
    FReplaced.reset();
    FOpen = false;
}

void TFile::CheckOpen() const
{
    if (!FOpen)
        throw Exception(SClosed);
}

int64_t TFile::Seek(int64_t Offset, int Origin)
{
    CheckOpen();
    errno = 0;
    int64_t pos = FHandle->Seek(Offset, Origin);
    if (Origin == 0 && pos != Offset)
        Fail("Ошибка позиционирования в файле", errno);
    return pos;
}

int32_t TFile::Read(void* Buffer, int32_t Count)
{
    CheckOpen();
    if (Count < 0)
        throw ERangeError();
    errno = 0;
    if (FHandle->Read(Buffer, Count) != Count)
        Fail(SReadError, errno);
    return Count;
}

void TFile::ReadAt(int64_t Offset, void* Buffer, int32_t Count) const
{
    CheckOpen();
    if (Count < 0)
        throw ERangeError();
    errno = 0;
    if (FHandle->ReadAt(Offset, Buffer, Count) != Count)
        Fail(SReadError, errno);
}

int32_t TFile::Write(const void* Buffer, int32_t Count)
{
    CheckOpen();
    if (Count < 0)
        throw ERangeError();
    errno = 0;
    const int64_t written = FHandle->Write(Buffer, Count);
    if (written != Count)
        // A short write is a full disk whose next write would say so.
        Fail(SWriteError, written >= 0 && errno == 0 ? ENOSPC : errno);
    return Count;
}

void TFile::Truncate()
{
    CheckOpen();
    errno = 0;
    if (!FHandle->Truncate())
        Fail(SWriteError, errno);
}

void TFile::Flush()
{
    CheckOpen();
    errno = 0;
    if (!FHandle->Sync())
        Fail(SWriteError, errno);
}

void TFile::CheckNamed()
{
    CheckOpen();
    errno = 0;
    if (!FHandle->NamedBy(FFileName))
        Fail(SReplaced, errno == ENOENT || errno == ESTALE ? 0 : errno);
}

} // namespace tv
