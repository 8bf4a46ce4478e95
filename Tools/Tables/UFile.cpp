#include "UFile.h"

#include "UException.h"

namespace tv {

namespace {
const char* const SOpened = "Недопустимая операция при открытом файле";
const char* const SClosed = "Недопустимая операция при закрытом файле";
const char* const SCannotCreate = "Невозможно создать файл";
const char* const SWriteError = "Ошибка записи в файл";
} // namespace

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
    FHandle = FFileName.empty() ? nullptr : FEnv->CreateFile(FFileName);
    if (!FHandle)
        throw Exception(SCannotCreate);
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
    if (!FFileName.empty()) {
        if (exists)
            FReplaced = FEnv->OpenFile(FFileName);
        if (!exists || FReplaced)
            FHandle = FEnv->CreateFile(TempName(FFileName));
    }
    if (!FHandle) {
        FReplaced.reset();
        throw Exception(SCannotCreate);
    }
    FTempName = TempName(FFileName);
    FOpen = true;
}

void TFile::CommitCreate()
{
    CheckOpen();
    Flush();
    if (!FEnv->RenameFile(FTempName, FFileName, FReplaced != nullptr))
        throw Exception(SCannotCreate);
    FTempName.clear();
    FReplaced.reset();
    if (!FEnv->SyncDir(FFileName))
        throw Exception(SWriteError);
}

void TFile::Open(bool CreateIfMissing)
{
    if (FOpen)
        throw Exception(SOpened);
    if (!FFileName.empty() && FEnv->FileExists(FFileName)) {
        FHandle = FEnv->OpenFile(FFileName);
        if (!FHandle)
            throw Exception("Ошибка открытия файла");
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
    int64_t pos = FHandle->Seek(Offset, Origin);
    if (Origin == 0 && pos != Offset)
        throw Exception("Ошибка позиционирования в файле");
    return pos;
}

int32_t TFile::Read(void* Buffer, int32_t Count)
{
    CheckOpen();
    if (Count < 0)
        throw ERangeError();
    if (FHandle->Read(Buffer, Count) != Count)
        throw Exception("Ошибка при чтении из файла");
    return Count;
}

int32_t TFile::Write(const void* Buffer, int32_t Count)
{
    CheckOpen();
    if (Count < 0)
        throw ERangeError();
    if (FHandle->Write(Buffer, Count) != Count)
        throw Exception(SWriteError);
    return Count;
}

void TFile::Truncate()
{
    CheckOpen();
    if (!FHandle->Truncate())
        throw Exception(SWriteError);
}

void TFile::Flush()
{
    CheckOpen();
    if (!FHandle->Sync())
        throw Exception(SWriteError);
}

} // namespace tv
