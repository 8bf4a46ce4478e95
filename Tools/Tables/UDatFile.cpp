#include "UDatFile.h"

#include <cstring>
#include <limits>

#include "UChecked.h"
#include "UDatRecovery.h"
#include "UException.h"
#include "UFields.h"

namespace tv {

using namespace DatFormat;

namespace {

const char* const SNoFields = "Не определен объект полей";
const char* const SBadHeaderSize = "Неверный размер заголовка файла";
const char* const SBadRecordSize = "Неверный размер записи";
const char* const SBadFieldSize = "Неверный размер поля";
const char* const SBadHeader = "Поврежден заголовок файла";


} // namespace

struct TDatFile::TSaved {
    TDatHeader Header;
    std::vector<TFieldDesc> Descs;
    std::vector<int32_t> NextKeys;
    int32_t RecordOffset;
};

TDatFile::TDatFile() = default;

TDatFile::~TDatFile()
{
    if (IsOpen()) {
        try {
            TDatFile::Close();
        } catch (...) {
        }
    }
    FreeBuiltFields();
}

void TDatFile::SetFields(TFields* Fields)
{
    if (IsOpen())
        throw Exception(SOpened);
    if (!Fields)
        throw Exception(SNoFields);
    FFields = Fields;
}

void TDatFile::CheckOpen() const
{
    if (!IsOpen())
        throw Exception(SClosed);
}

int32_t TDatFile::GetRecordOffset() const
{
    CheckOpen();
    return FRecordOffset;
}

void TDatFile::SetRecordOffset(int32_t Offset)
{
    CheckOpen();
    int64_t end = int64_t(FHeader.HeaderSize) + int64_t(FHeader.RecordCount) * FHeader.RecordSize;
    if (Offset < FHeader.HeaderSize || Offset > end ||
        (int64_t(Offset) - FHeader.HeaderSize) % FHeader.RecordSize != 0)
        throw Exception("Неверное смещение записи в файле");
    FRecordOffset = Offset;
}

int32_t TDatFile::AppendPosition() const
{
    return CheckedAdd(FHeader.HeaderSize, CheckedMul(FHeader.RecordCount, FHeader.RecordSize));
}

void TDatFile::WriteHeader()
{
    uint8_t buf[HeaderBytes];
    EncodeHeader(FHeader, buf);
    Seek(0, 0);
    Write(buf, HeaderBytes);
}

// The header and every descriptor up to the last primary key's go out in
// one write: inside the first sector the disk keeps all of it or none, so
// a count never reaches the disk without the key values that go with it.
void TDatFile::WriteHeaderAndKeys()
{
    int32_t end = HeaderBytes;
    for (int32_t i = 0; i < FFields->Count(); ++i)
        if (FFields->Items(i)->GetPrimaryKey())
            end = HeaderBytes + DescBytes * (i + 1);
    std::vector<uint8_t> buf(static_cast<size_t>(end));
    EncodeHeader(FHeader, buf.data());
    for (int32_t i = 0; HeaderBytes + DescBytes * i < end; ++i)
        EncodeDesc(FDescs[static_cast<size_t>(i)], buf.data() + HeaderBytes + DescBytes * i);
    Seek(0, 0);
    Write(buf.data(), end);
}

void TDatFile::CreateNew(bool Overwrite)
{
    if (!FFields)
        throw Exception(SNoFields);
    BeginCreate(Overwrite);
    try {
        int32_t count = FFields->Count();
        FHeader = TDatHeader();
        FHeader.Magic = DatMagic;
        FHeader.HeaderSize = HeaderSizeFor(count);
        FHeader.FieldCount = count;
        FHeader.RecordSize = CheckedAdd(FFields->DataSize(), PrefixBytes);
        std::vector<uint8_t> buf(static_cast<size_t>(FHeader.HeaderSize));
        EncodeHeader(FHeader, buf.data());
        FDescs.assign(static_cast<size_t>(count), TFieldDesc());
        for (int32_t i = 0; i < count; ++i) {
            TField* f = FFields->Items(i);
            TFieldDesc& d = FDescs[static_cast<size_t>(i)];
            d.TypeId = f->TypeId();
            d.DataSize = f->DataSize();
            SetDescName(d, f->GetName());
            d.NextKeyValue = f->GetPrimaryKey() ? f->GetNextKeyValue() : 0;
            EncodeDesc(d, buf.data() + HeaderBytes + DescBytes * i);
        }
        Seek(0, 0);
        Write(buf.data(), FHeader.HeaderSize);
        CommitCreate();
        FRecordOffset = FHeader.HeaderSize;
    } catch (...) {
        Close();
        throw;
    }
}

void TDatFile::Open(bool CreateIfMissing)
{
    TFile::Open(CreateIfMissing);
    try {
        ReadHeader();
        if (FFields)
            CheckFields();
        else
            BuildFields();
        Recover();
        FRecordOffset = FHeader.HeaderSize;
    } catch (...) {
        Close();
        throw;
    }
}

void TDatFile::ReadHeader()
{
    int64_t size = Seek(0, 2);
    if (size < HeaderBytes)
        throw Exception(SBadHeaderSize);
    uint8_t buf[HeaderBytes];
    Seek(0, 0);
    Read(buf, HeaderBytes);
    FHeader = DecodeHeader(buf);
    if (FHeader.Magic != DatMagic)
        throw Exception("Неверный тип файла");
    if (FHeader.FieldCount < 0 || HeaderSizeFor(FHeader.FieldCount) != FHeader.HeaderSize)
        throw Exception(SBadHeaderSize);
    if (size < FHeader.HeaderSize)
        throw Exception(SBadHeaderSize);
    FDescs.assign(static_cast<size_t>(FHeader.FieldCount), TFieldDesc());
    int32_t sum = PrefixBytes;
    for (auto& d : FDescs) {
        uint8_t db[DescBytes];
        Read(db, DescBytes);
        d = DecodeDesc(db);
        if (d.DataSize <= 0)
            throw Exception(SBadFieldSize);
        sum = CheckedAdd(sum, d.DataSize);
    }
    if (FHeader.RecordSize != sum)
        throw Exception(SBadRecordSize);
    if (FHeader.RecordCount < 0 || FHeader.DeletedCount < 0)
        throw Exception(SBadRecordCount);
    int32_t expected = AppendPosition();
    // A longer file may hold the tail of a change cut off by a crash, which
    // Recover judges; a shorter one no crash can leave.
    if (size < expected || size > std::numeric_limits<int32_t>::max())
        throw Exception(SBadRecordCount);
    if (FHeader.RecordCount < FHeader.DeletedCount)
        throw Exception(SBadRecordCount);
    FFileSize = size;
}

void TDatFile::CheckFields()
{
    if (!FFields)
        throw Exception(SNoFields);
    if (FFields->Count() != FHeader.FieldCount)
        throw Exception(SBadHeader);
    if (HeaderSizeFor(FFields->Count()) != FHeader.HeaderSize)
        throw Exception(SBadHeader);
    if (CheckedAdd(FFields->DataSize(), PrefixBytes) != FHeader.RecordSize)
        throw Exception(SBadRecordSize);
    for (int32_t i = 0; i < FFields->Count(); ++i) {
        TField* f = FFields->Items(i);
        const TFieldDesc& d = FDescs[static_cast<size_t>(i)];
        if (f->TypeId() != d.TypeId)
            throw Exception("Неверный тип поля");
        if (f->DataSize() != d.DataSize)
            throw Exception(SBadFieldSize);
        if (f->GetPrimaryKey()) {
            // 0 and below: no change writes them.
            if (d.NextKeyValue <= 0)
                throw Exception(SBadKeyValue);
            f->SetNextKeyValue(d.NextKeyValue);
        }
    }
}

void TDatFile::BuildFields()
{
    if (FFields)
        throw Exception("Объект полей уже определен");
    auto fields = std::make_unique<TFields>();
    std::vector<std::unique_ptr<TField>> items;
    for (const TFieldDesc& d : FDescs) {
        std::unique_ptr<TField> f = TField::CreateByTypeId(d.TypeId, d.DataSize);
        if (f->DataSize() != d.DataSize)
            throw Exception(SBadFieldSize);
        fields->Add(f.get());
        f->SetName(DescName(d));
        if (d.NextKeyValue > 0) {
            f->SetPrimaryKey(true);
            f->SetNextKeyValue(d.NextKeyValue);
        }
        items.push_back(std::move(f));
    }
    FBuiltItems = std::move(items);
    FBuiltFields = std::move(fields);
    FFields = FBuiltFields.get();
    FOwnsFields = true;
}

// Mends only what one change cut off by a crash leaves (an uncounted tail,
// a rewrite to finish, a deleted count one off, a next key value not above
// the stored keys); any other disagreement refuses the file unchanged.
// Nothing is written unless something needs mending.
void TDatFile::Recover()
{
    TDatRecovery r(*this, FHeader, *FFields, FFileSize);
    r.CheckTail(FKeepsGroupTail);
    if (r.KeptGroup()) {
        FGroupCount = r.TakeGroup(FGroupData);
        FTailDirty = true;
    }
    r.FindRewriteCopy();
    r.Scan(FScanSink);
    FOddStatusCount = r.OddCount();
    r.CheckDeletedCount();
    const bool keys = r.MendKeys(FDescs);
    if (keys || r.Tail() > 0 || r.NotLiveCount() != FHeader.DeletedCount)
        WriteMends(r);
}

// The rewrite is finished first, flushed, then the header and descriptors
// that count the records go on the disk and the tail is cut.
void TDatFile::WriteMends(TDatRecovery& r)
{
    r.FinishRewrite();
    FHeader.DeletedCount = r.NotLiveCount();
    TV_ASSERT(FHeader.DeletedCount <= FHeader.RecordCount, "a mend would count more deleted records than records");
    WriteHeaderAndKeys();
    if (r.Tail() > 0) {
        Seek(r.CutAt(), 0);
        Truncate();
        FFileSize = r.CutAt();
    }
    Flush();
}

bool TDatFile::ReadRecord()
{
    CheckOpen();
    Seek(FRecordOffset, 0);
    FScratch.resize(static_cast<size_t>(FHeader.RecordSize));
    Read(FScratch.data(), FHeader.RecordSize);
    FFields->SetRecord(FScratch.data() + PrefixBytes);
    return GetInt(FScratch.data()) == 0;
}

TDatFile::TSaved TDatFile::Save() const
{
    TSaved s{FHeader, FDescs, {}, FRecordOffset};
    for (int32_t i = 0; i < FFields->Count(); ++i)
        s.NextKeys.push_back(FFields->Items(i)->GetNextKeyValue());
    return s;
}

void TDatFile::Restore(const TSaved& s)
{
    FHeader = s.Header;
    FDescs = s.Descs;
    FRecordOffset = s.RecordOffset;
    for (int32_t i = 0; i < FFields->Count(); ++i) {
        TField* f = FFields->Items(i);
        if (f->GetPrimaryKey())
            f->SetNextKeyValue(s.NextKeys[static_cast<size_t>(i)]);
    }
}

// After a failed change: the header and key descriptors of memory go back on
// the disk, so that the records they count are the ones memory holds.
void TDatFile::RestoreOnDisk()
{
    try {
        WriteHeaderAndKeys();
        Flush();
    } catch (...) {
        FHeaderUnsure = true;
    }
}

void TDatFile::AppendRecord()
{
    CheckNamed();
    Settle();
    const TSaved saved = Save();
    try {
        int32_t pos = AppendPosition();
        CheckedAdd(pos, FHeader.RecordSize);
        Seek(pos, 0);
        FRecordOffset = pos;
        FScratch.assign(static_cast<size_t>(FHeader.RecordSize), 0);
        std::memcpy(FScratch.data() + PrefixBytes, FFields->GetRecord(),
                    static_cast<size_t>(FFields->DataSize()));
        Write(FScratch.data(), FHeader.RecordSize);
        // The record is on the disk before any header counts it.
        Flush();
        CountRecords(1);
    } catch (...) {
        Restore(saved);
        RestoreOnDisk();
        throw;
    }
}

void TDatFile::CountInMemory(int32_t count)
{
    // Checked before anything changes.
    const int32_t records = CheckedAdd(FHeader.RecordCount, count);
    for (int32_t i = 0; i < FFields->Count(); ++i)
        if (FFields->Items(i)->GetPrimaryKey())
            CheckedAdd(FFields->Items(i)->GetNextKeyValue(), count);
    FHeader.RecordCount = records;
    for (int32_t i = 0; i < FFields->Count(); ++i) {
        TField* f = FFields->Items(i);
        if (!f->GetPrimaryKey())
            continue;
        f->SetNextKeyValue(f->GetNextKeyValue() + count);
        FDescs[static_cast<size_t>(i)].NextKeyValue = f->GetNextKeyValue();
    }
}

void TDatFile::CountRecords(int32_t count)
{
    CountInMemory(count);
    WriteHeaderAndKeys();
    Flush();
}

void TDatFile::WriteGroup(const uint8_t* Records, int32_t Count)
{
    CheckNamed();
    // A header a Deferred count owes goes with the records, flushed with them.
    const bool withHeader = FHeaderUnsure && !FPendingCopy && !FTailDirty;
    if (!withHeader)
        Settle();
    TV_ASSERT(Count >= 1 && Count <= MaxGroupRecords, "a group of records out of its size");
    const int32_t rs = FHeader.RecordSize;
    const auto dataSize = static_cast<size_t>(FFields->DataSize());
    for (int32_t i = 0; i < FFields->Count(); ++i) {
        TField* f = FFields->Items(i);
        if (f->GetPrimaryKey())
            CheckedAdd(f->GetNextKeyValue(), Count);
        if (!IsNumberedKey(f))
            continue;
        for (int32_t k = 0; k < Count; ++k)
            if (int64_t(GetInt(Records + k * dataSize + FFields->Offsets(i))) != int64_t(f->GetNextKeyValue()) + k)
                throw Exception(SBadKeyValue);
    }
    CheckedAdd(FHeader.RecordCount, Count);
    const int32_t pos = AppendPosition();
    CheckedAdd(pos, CheckedMul(rs, Count));
    std::vector<uint8_t> buf(static_cast<size_t>(rs) * Count, 0);
    for (int32_t k = 0; k < Count; ++k)
        std::memcpy(buf.data() + static_cast<size_t>(k) * rs + PrefixBytes, Records + k * dataSize, dataSize);
    FTailDirty = true;
    if (withHeader)
        WriteHeaderAndKeys();
    Seek(pos, 0);
    Write(buf.data(), static_cast<int32_t>(buf.size()));
    // The records are on the disk before any header counts them.
    Flush();
    FHeaderUnsure = false;
    FGroupData.assign(Records, Records + static_cast<size_t>(Count) * dataSize);
    FGroupCount = Count;
}

void TDatFile::CountGroup(TGroupCount How)
{
    TV_ASSERT(FGroupCount > 0, "no group written to count");
    if (How == TGroupCount::Deferred) {
        CheckOpen();
        // WriteGroup checked that the counts hold the group.
        FRecordOffset = AppendPosition();
        CountInMemory(FGroupCount);
        FGroupCount = 0;
        std::vector<uint8_t>().swap(FGroupData);
        FTailDirty = false;
        FHeaderUnsure = true;
        return;
    }
    CheckNamed();
    const int32_t count = FGroupCount;
    FGroupCount = 0;
    std::vector<uint8_t>().swap(FGroupData);
    const TSaved saved = Save();
    try {
        FRecordOffset = AppendPosition();
        CountRecords(count);
        FTailDirty = false;
        FHeaderUnsure = false;
    } catch (...) {
        Restore(saved);
        if (How == TGroupCount::Committed) {
            FRecordOffset = AppendPosition();
            CountInMemory(count);
            FTailDirty = false;
            FHeaderUnsure = true;
        } else {
            RestoreOnDisk();
        }
        throw;
    }
}

void TDatFile::ShortenGroup(int32_t Count)
{
    CheckOpen();
    TV_ASSERT(Count >= 0 && Count <= FGroupCount, "a group shortened to more than it holds");
    if (Count == FGroupCount)
        return;
    const int32_t rs = FHeader.RecordSize;
    Seek(int64_t(AppendPosition()) + int64_t(Count) * rs, 0);
    Truncate();
    Flush();
    FGroupCount = Count;
    FGroupData.resize(static_cast<size_t>(Count) * static_cast<size_t>(FFields->DataSize()));
    FFileSize = int64_t(AppendPosition()) + int64_t(Count) * rs;
}

void TDatFile::DropGroup()
{
    CheckOpen();
    FGroupCount = 0;
    std::vector<uint8_t>().swap(FGroupData);
    Seek(AppendPosition(), 0);
    Truncate();
    Flush();
    FFileSize = AppendPosition();
    FTailDirty = false;
}

// The append position is a valid record offset but names no record.
void TDatFile::CheckRecordThere() const
{
    CheckOpen();
    if (FRecordOffset >= AppendPosition())
        throw Exception("Неверное смещение записи в файле");
}

// A record inside one sector is rewritten in place: the disk keeps the old
// or the new bytes whole. Any other goes first, flushed, past the counted
// records with the check word and the target offset, then in place, then
// the copy is cut off; a crash while it is written in place leaves the
// copy, from which the next Open finishes the rewrite.
void TDatFile::WriteRecord()
{
    CheckRecordThere();
    CheckNamed();
    Settle();
    const int32_t rs = FHeader.RecordSize;
    std::vector<uint8_t> old(static_cast<size_t>(rs));
    Seek(FRecordOffset, 0);
    Read(old.data(), rs);
    FScratch.assign(static_cast<size_t>(rs), 0);
    std::memcpy(FScratch.data() + PrefixBytes, FFields->GetRecord(),
                static_cast<size_t>(FFields->DataSize()));
    if (FRecordOffset / SectorBytes == (int64_t(FRecordOffset) + rs - 1) / SectorBytes) {
        try {
            Seek(FRecordOffset, 0);
            Write(FScratch.data(), rs);
            Flush();
        } catch (...) {
            try {
                Seek(FRecordOffset, 0);
                Write(old.data(), rs);
                Flush();
            } catch (...) {
            }
            throw;
        }
        return;
    }

    const int32_t tail = AppendPosition();
    CheckedAdd(tail, rs);
    std::vector<uint8_t> image(FScratch);
    PutInt(image.data(), ImageCheck(FRecordOffset, FScratch.data() + PrefixBytes, static_cast<size_t>(rs - PrefixBytes)));
    PutInt(image.data() + 4, FRecordOffset);
    bool copied = false;
    try {
        Seek(tail, 0);
        Write(image.data(), rs);
        Flush();
        copied = true;
        Seek(FRecordOffset, 0);
        Write(FScratch.data(), rs);
        Flush();
        Seek(tail, 0);
        Truncate();
    } catch (...) {
        UndoRewrite(copied, old);
        throw;
    }
}

// Puts the old bytes back after a failed rewrite. Once the copy is on the
// disk the record in place may be torn, and only the copy can mend it: it
// stays until the old bytes are on the disk in place. When they cannot be
// put there, the copy is kept and every later change first settles it.
void TDatFile::UndoRewrite(bool copied, const std::vector<uint8_t>& old)
{
    const int32_t tail = AppendPosition();
    try {
        if (copied) {
            Seek(FRecordOffset, 0);
            Write(old.data(), FHeader.RecordSize);
            Flush();
        }
    } catch (...) {
        FPendingCopy = true;
        FPendingOffset = FRecordOffset;
        FPendingRecord = old;
        return;
    }
    try {
        Seek(tail, 0);
        Truncate();
        Flush();
    } catch (...) {
    }
}

// A copy left by a rewrite whose undo failed stays needed until the record
// it names is whole in place: no change may write over it before.
void TDatFile::Settle()
{
    CheckOpen();
    if (FPendingCopy) {
        TV_ASSERT(FPendingOffset >= FHeader.HeaderSize && FPendingOffset < AppendPosition(),
                  "a pending rewrite copy names no record");
        Seek(FPendingOffset, 0);
        Write(FPendingRecord.data(), FHeader.RecordSize);
        Flush();
        Seek(AppendPosition(), 0);
        Truncate();
        Flush();
        FPendingCopy = false;
        FPendingRecord.clear();
    }
    if (FHeaderUnsure) {
        WriteHeaderAndKeys();
        Flush();
        FHeaderUnsure = false;
    }
    if (FTailDirty)
        DropGroup();
}

void TDatFile::DeleteRecord()
{
    CheckRecordThere();
    CheckNamed();
    Settle();
    const TSaved saved = Save();
    uint8_t old[PrefixBytes];
    Seek(FRecordOffset, 0);
    Read(old, PrefixBytes);
    try {
        uint8_t mark[PrefixBytes] = {};
        PutInt(mark, -1);
        Seek(FRecordOffset, 0);
        // The mark and the count go out with one flush: a crash keeps either
        // or both, and Open takes the count from the marks.
        Write(mark, PrefixBytes);
        FHeader.DeletedCount = CheckedAdd(FHeader.DeletedCount, 1);
        WriteHeader();
        Flush();
    } catch (...) {
        Restore(saved);
        try {
            Seek(FRecordOffset, 0);
            Write(old, PrefixBytes);
        } catch (...) {
        }
        RestoreOnDisk();
        throw;
    }
}

void TDatFile::Empty()
{
    CheckNamed();
    Settle();
    const TSaved saved = Save();
    bool cut = false;
    try {
        FHeader.RecordCount = 0;
        FHeader.DeletedCount = 0;
        for (int32_t i = 0; i < FFields->Count(); ++i) {
            TField* f = FFields->Items(i);
            if (f->GetPrimaryKey()) {
                f->SetNextKeyValue(1);
                FDescs[static_cast<size_t>(i)].NextKeyValue = 1;
            }
        }
        WriteHeaderAndKeys();
        // The header says "no records" on the disk before the records go.
        Flush();
        Seek(FHeader.HeaderSize, 0);
        Truncate();
        cut = true;
        FFields->Clear();
        FRecordOffset = FHeader.HeaderSize;
        Flush();
    } catch (...) {
        // Once cut, the records are gone and the file stays empty.
        if (!cut) {
            Restore(saved);
            RestoreOnDisk();
        }
        throw;
    }
}

void TDatFile::FreeBuiltFields()
{
    if (FFields == FBuiltFields.get())
        FFields = nullptr;
    FBuiltFields.reset();
    FBuiltItems.clear();
    FOwnsFields = false;
}

void TDatFile::Close()
{
    FGroupCount = 0;
    std::vector<uint8_t>().swap(FGroupData);
    FTailDirty = false;
    FHeaderUnsure = false;
    if (FOwnsFields)
        FreeBuiltFields();
    FHeader = TDatHeader();
    FHeader.Magic = DatMagic;
    FDescs.clear();
    if (FFields)
        for (int32_t i = 0; i < FFields->Count(); ++i) {
            TField* f = FFields->Items(i);
            if (f->GetPrimaryKey())
                f->SetNextKeyValue(1);
        }
    FRecordOffset = 0;
    FFileSize = 0;
    FOddStatusCount = 0;
    FPendingCopy = false;
    FPendingRecord.clear();
    TFile::Close();
}

} // namespace tv
