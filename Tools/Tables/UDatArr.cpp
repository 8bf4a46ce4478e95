#include "UDatArr.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

#include "UBaseFld.h"
#include "UChecked.h"
#include "UException.h"
#include "UFields.h"
#include "UIndex.h"
#include "UOrderedLoad.h"
#include "UParts.h"

namespace tv {

namespace {

const char SNoIndex[] = "Не задан индексный объект";

} // namespace

TDatArr::TDatArr() = default;

TDatArr::~TDatArr()
{
    if (IsOpen()) {
        try {
            Close();
        } catch (...) {
        }
    }
}

void TDatArr::CheckOpen() const
{
    if (!IsOpen()) throw Exception(SClosed);
}

TIndex* TDatArr::RequireIndex() const
{
    TIndex* index = GetIndex();
    if (index == nullptr) throw Exception(SNoIndex);
    return index;
}

void TDatArr::SetSizes()
{
    FElemSize = (Fields()->DataSize() + 7) & ~3;
    FMaxElemCount = 2147483647 / FElemSize;
}

int32_t TDatArr::ElemOffset(int32_t i) const
{
    int32_t offset;
    std::memcpy(&offset, Elem(i), 4);
    return offset;
}

void TDatArr::SetElemOffset(int32_t i, int32_t offset)
{
    std::memcpy(Elem(i), &offset, 4);
}

void TDatArr::MoveElems(int32_t to, int32_t from, int32_t count)
{
    if (count > 0)
        std::memmove(Elem(to), Elem(from), static_cast<size_t>(count) * FElemSize);
}

void TDatArr::Reallocate(int32_t capacity)
{
    FElems.Resize(static_cast<size_t>(capacity) * FElemSize);
    FCapacity = capacity;
}

int64_t TDatArr::GrowCapacity(int64_t n)
{
    if (n < 64) return std::max<int64_t>(16, (n + 15) / 16 * 16);
    int64_t p = 1;
    while (p * 2 <= n) p *= 2;
    int64_t capacity = p;
    while (capacity < n) capacity += p / 4;
    return capacity;
}

int32_t TDatArr::ElemCount() const
{
    CheckOpen();
    return FElemCount;
}

int32_t TDatArr::GetCurElem() const
{
    CheckOpen();
    return FCurElem;
}

void TDatArr::SetElemCount(int32_t n)
{
    CheckOpen();
    if (n < 0) throw Exception("Задано отрицательное количество элементов массива");
    if (n > FMaxElemCount) throw Exception("Задано слишком большое количество элементов массива данных");
    int64_t capacity = FCapacity;
    if (n == 0)
        capacity = 0;
    else if (n > FCapacity || n < FElemCount)
        capacity = GrowCapacity(n);
    capacity = std::min<int64_t>(capacity, FMaxElemCount);
    if (capacity != FCapacity) Reallocate(static_cast<int32_t>(capacity));
    FElemCount = n;
    if (n == 0) FCurElem = 0;
}

void TDatArr::SetCurElem(int32_t i)
{
    CheckOpen();
    if (FElemCount == 0) return;
    if (i < 0 || i >= FElemCount) throw Exception("Неверный номер текущего элемента массива");
    FCurElem = i;
    SetRecordOffset(ElemOffset(i));
    Fields()->SetRecord(Elem(i) + 4);
}

TIndex* TDatArr::GetIndex() const
{
    CheckOpen();
    return FIndex;
}

void TDatArr::SetIndex(TIndex* Index)
{
    CheckOpen();
    if (Index == FIndex) return;
    TIndex* const old = FIndex;
    FIndex = Index;
    if (Index == nullptr) return;
    const int32_t pos = GetRecordPos();
    try {
        if (Index->IsPrimaryKey())
            SortByKeyValue();
        else
            MergeSort();
    } catch (...) {
        FIndex = old;
        throw;
    }
    SetRecordPos(pos);
}

void TDatArr::SortByKeyValue()
{
    if (FIndex == nullptr || !FIndex->IsPrimaryKey()) throw Exception("Индекс не является первичным ключем");
    BlockSort::SortByKeyValue(View(), *FIndex);
}

void TDatArr::MergeSort()
{
    if (FIndex == nullptr) throw Exception(SNoIndex);
    BlockSort::StableSort(View(), *FIndex);
}

int32_t TDatArr::CompareKeyAt(const TIndex* index, int32_t i) const
{
    return index->CompareKey(Elem(i) + 4);
}

int32_t TDatArr::InsertPosition() const
{
    const TIndex* index = RequireIndex();
    int32_t lo = 0, hi = FElemCount - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int32_t c = CompareKeyAt(index, mid);
        if (c < 0) {
            hi = mid - 1;
        } else if (c > 0) {
            lo = mid + 1;
        } else {
            if (CompareKeyAt(index, hi) == 0) return hi + 1;
            lo = mid + 1;
            if (CompareKeyAt(index, lo) != 0) return lo;
        }
    }
    return lo;
}

void TDatArr::Locate()
{
    TIndex* index = RequireIndex();
    if (FElemCount == 0) return;
    if (index->IsPrimaryKey())
        LocateUnique();
    else
        LocateFirst();
}

void TDatArr::LocateUnique()
{
    int32_t lo = 0, hi = FElemCount - 1, mid = 0;
    while (lo <= hi) {
        mid = lo + (hi - lo) / 2;
        const int32_t c = CompareKeyAt(FIndex, mid);
        if (c < 0)
            hi = mid - 1;
        else if (c > 0)
            lo = mid + 1;
        else
            break;
    }
    SetCurElem(mid);
}

void TDatArr::LocateFirst()
{
    int32_t lo = 0, hi = FElemCount - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int32_t c = CompareKeyAt(FIndex, mid);
        if (c < 0) {
            hi = mid - 1;
        } else if (c > 0) {
            lo = mid + 1;
        } else {
            if (CompareKeyAt(FIndex, lo) == 0) {
                SetCurElem(lo);
                return;
            }
            hi = mid - 1;
            if (CompareKeyAt(FIndex, hi) != 0) {
                SetCurElem(mid);
                return;
            }
        }
    }
    SetCurElem(lo <= FElemCount - 1 ? lo : FElemCount - 1);
}

int32_t TDatArr::GetRecordPos() const
{
    return FElemCount == 0 ? 0 : ElemOffset(FCurElem < FElemCount ? FCurElem : FElemCount - 1);
}

void TDatArr::SetRecordPos(int32_t Offset)
{
    if (FElemCount == 0) return;
    for (int32_t i = 0; i < FElemCount; ++i) {
        if (ElemOffset(i) == Offset) {
            SetCurElem(i);
            return;
        }
    }
    throw Exception("Неверный физический номер записи");
}

std::string TDatArr::GetElemText(int32_t Elem, int32_t Field) const
{
    const int32_t fieldCount = Fields() != nullptr ? Fields()->Count() : 0;
    if (Elem < 0 || Elem >= FElemCount || Field < 0 || Field >= fieldCount)
        throw Exception("Неверный индекс для получения строки данных\r\nElem = " + std::to_string(Elem) +
                        "\r\nFElemCount = " + std::to_string(FElemCount) +
                        "\r\nField = " + std::to_string(Field) +
                        "\r\nFields.Count = " + std::to_string(fieldCount));
    return Fields()->Items(Field)->DataToText(this->Elem(Elem) + 4 + Fields()->Offsets(Field));
}

const uint8_t* TDatArr::GetElemData(int32_t Elem, int32_t Field) const
{
    const int32_t fieldCount = Fields() != nullptr ? Fields()->Count() : 0;
    if (Elem < 0 || Elem >= FElemCount || Field < 0 || Field >= fieldCount)
        throw Exception("Неверный индекс для получения значения элемента массива");
    return this->Elem(Elem) + 4 + Fields()->Offsets(Field);
}

void TDatArr::CreateNew(bool Overwrite)
{
    TDatFile::CreateNew(Overwrite);
    Fields()->Clear();
    SetSizes();
    FCurElem = 0;
    FElemCount = 0;
    FElems.Resize(0);
    FCapacity = 0;
}

void TDatArr::Open(bool CreateIfMissing)
{
    // The scan of the open loads the block.
    TOrderedLoad load(FScanOrder, FElems, [this](int32_t n) {
        SetSizes();
        SetElemCount(n);
        return FElemSize;
    });
    SetScanSink(&load);
    try {
        TDatFile::Open(CreateIfMissing);
    } catch (...) {
        SetScanSink(nullptr);
        throw;
    }
    SetScanSink(nullptr);
    try {
        const int32_t loaded = load.Loaded();
        if (loaded < FElemCount) SetElemCount(loaded);
        FCurElem = 0;
        if (FElemCount > 0) {
            SetCurElem(0);
        } else {
            TDatHeader header;
            GetHeader(header);
            SetRecordOffset(header.HeaderSize);
            Fields()->Clear();
        }
    } catch (...) {
        try {
            Close();
        } catch (...) {
        }
        throw;
    }
}

void TDatArr::Close()
{
    FPreparedCount = 0;
    std::vector<uint8_t>().swap(FFresh);
    SetElemCount(0);
    FElemSize = 0;
    FMaxElemCount = 0;
    FCurElem = 0;
    FIndex = nullptr;
    TDatFile::Close();
}

void TDatArr::AppendRecord()
{
    CheckOpen();
    const uint8_t* record = Fields()->GetRecord();
    const int32_t oldCount = FElemCount, oldCur = FCurElem;
    int32_t p = oldCount;
    if (FIndex != nullptr) {
        FIndex->KeyFromRecord(record);
        p = InsertPosition();
    }
    SetElemCount(CheckedAdd(oldCount, 1));
    MoveElems(p + 1, p, oldCount - p);
    SetElemOffset(p, 0);
    std::memcpy(Elem(p) + 4, record, static_cast<size_t>(Fields()->DataSize()));
    FCurElem = p;
    try {
        TDatFile::AppendRecord();
    } catch (...) {
        MoveElems(p, p + 1, oldCount - p);
        SetElemCount(oldCount);
        FCurElem = oldCur;
        throw;
    }
    SetElemOffset(p, GetRecordOffset());
}

void TDatArr::WriteRecord()
{
    CheckOpen();
    TV_ASSERT(FElemCount > 0, "No current record to write");
    const int32_t cur = FCurElem;
    const int32_t offset = ElemOffset(cur);
    SetRecordOffset(offset);
    const uint8_t* record = Fields()->GetRecord();
    const std::vector<uint8_t> saved(Elem(cur), Elem(cur) + FElemSize);
    int32_t place = cur;
    if (FIndex != nullptr) {
        FIndex->KeyFromRecord(record);
        if (FIndex->CompareKey(Elem(cur) + 4) != 0) {
            const int32_t p = InsertPosition();
            if (p < cur) {
                MoveElems(p + 1, p, cur - p);
                place = p;
            } else if (p > cur + 1) {
                MoveElems(cur, cur + 1, p - 1 - cur);
                place = p - 1;
            }
            SetElemOffset(place, offset);
        }
    }
    std::memcpy(Elem(place) + 4, record, static_cast<size_t>(Fields()->DataSize()));
    FCurElem = place;
    try {
        TDatFile::WriteRecord();
    } catch (...) {
        if (place < cur)
            MoveElems(place, place + 1, cur - place);
        else if (place > cur)
            MoveElems(cur + 1, cur, place - cur);
        std::memcpy(Elem(cur), saved.data(), saved.size());
        FCurElem = cur;
        throw;
    }
}

void TDatArr::DeleteRecord()
{
    CheckOpen();
    TV_ASSERT(FElemCount > 0, "No current record to delete");
    SetRecordOffset(ElemOffset(FCurElem));
    TDatFile::DeleteRecord();
    MoveElems(FCurElem, FCurElem + 1, FElemCount - FCurElem - 1);
    SetElemCount(FElemCount - 1);
    if (FElemCount == 0) Fields()->Clear();
}

void TDatArr::WriteGroup(const uint8_t* Records, int32_t Count)
{
    CheckOpen();
    TDatFile::WriteGroup(Records, Count);
}

void TDatArr::PrepareGroup()
{
    CheckOpen();
    if (FPreparedCount > 0) return;
    const int32_t count = GroupCount();
    const auto dataSize = static_cast<size_t>(Fields()->DataSize());
    TV_ASSERT(count > 0 && GroupData().size() == static_cast<size_t>(count) * dataSize, "no group written to count");
    TDatHeader header;
    GetHeader(header);
    const int32_t first = CheckedAdd(header.HeaderSize, CheckedMul(header.RecordCount, header.RecordSize));
    const int32_t oldCount = FElemCount;
    SetElemCount(CheckedAdd(oldCount, count));
    try {
        for (int32_t k = 0; k < count; ++k) {
            SetElemOffset(oldCount + k, first + k * header.RecordSize);
            std::memcpy(Elem(oldCount + k) + 4, GroupData().data() + static_cast<size_t>(k) * dataSize, dataSize);
        }
        if (FIndex != nullptr) SortTail(count, FFresh);
    } catch (...) {
        SetElemCount(oldCount);
        throw;
    }
    FPreparedCount = count;
}

void TDatArr::UnprepareGroup()
{
    // The capacity stays: nothing is allocated.
    FElemCount -= FPreparedCount;
    std::vector<uint8_t>().swap(FFresh);
    FPreparedCount = 0;
}

// Everything that allocates happens before the file counts the group, so
// that once it has, the block takes the group without fail.
void TDatArr::CountGroup(TGroupCount How)
{
    PrepareGroup();
    const int32_t count = FPreparedCount;
    TDatHeader header;
    GetHeader(header);
    const int32_t last = header.HeaderSize + (header.RecordCount + count - 1) * header.RecordSize;
    std::exception_ptr failure;
    try {
        TDatFile::CountGroup(How);
    } catch (...) {
        if (How != TGroupCount::Committed) {
            UnprepareGroup();
            throw;
        }
        failure = std::current_exception();
    }
    FPreparedCount = 0;
    if (FIndex != nullptr) MergeTail(count, FFresh);
    std::vector<uint8_t>().swap(FFresh);
    // New records land at the end in most orders: look for the last there.
    for (int32_t i = FElemCount - 1; i >= 0; --i)
        if (ElemOffset(i) == last) {
            SetCurElem(i);
            break;
        }
    if (failure) std::rethrow_exception(failure);
}

void TDatArr::SortTail(int32_t count, std::vector<uint8_t>& fresh)
{
    const int32_t oldCount = FElemCount - count;
    std::vector<int32_t> from(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) from[static_cast<size_t>(k)] = oldCount + k;
    if (BlockSort::SortPlaces(View(), *FIndex, from)) BlockSort::Permute(View(), from, oldCount);
    fresh.resize(static_cast<size_t>(count) * static_cast<size_t>(FElemSize));
}

void TDatArr::MergeTail(int32_t count, std::vector<uint8_t>& fresh)
{
    const int32_t oldCount = FElemCount - count;
    if (oldCount == 0 || FIndex->CompareRecords(Elem(oldCount - 1) + 4, Elem(oldCount) + 4) <= 0) return;
    // From the back: an old element goes up only when it is strictly
    // greater, so new ones land after their equals. The new ones wait in
    // a buffer of their own.
    const auto size = static_cast<size_t>(FElemSize);
    std::memcpy(fresh.data(), Elem(oldCount), static_cast<size_t>(count) * size);
    int32_t i = oldCount - 1, j = count - 1, k = FElemCount - 1;
    while (j >= 0) {
        const uint8_t* one = fresh.data() + static_cast<size_t>(j) * size;
        if (i >= 0 && FIndex->CompareRecords(Elem(i) + 4, one + 4) > 0) {
            std::memcpy(Elem(k), Elem(i), size);
            --i;
        } else {
            std::memcpy(Elem(k), one, size);
            --j;
        }
        --k;
    }
}

void TDatArr::Empty()
{
    TDatFile::Empty();
    SetElemCount(0);
    FCurElem = 0;
}

} // namespace tv
