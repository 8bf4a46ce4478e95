#include "UFile.h"

#include "UException.h"

namespace tv {

namespace {
const char* const SOpened = "Недопустимая операция при открытом файле";
const char* const SClosed = "Недопустимая операция при закрытом файле";
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
        throw Exception("Невозможно создать файл");
    FOpen = true;
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
    FHandle.reset();
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
        throw Exception("Ошибка записи в файл");
    return Count;
}

void TFile::Truncate()
{
    CheckOpen();
    if (!FHandle->Truncate())
        throw Exception("Ошибка записи в файл");
}

void TFile::Flush()
{
    CheckOpen();
    if (!FHandle->Sync())
        throw Exception("Ошибка записи в файл");
}

} // namespace tv
