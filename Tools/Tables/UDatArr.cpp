#include "UDatArr.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <typeinfo>

#include "UBaseFld.h"
#include "UChecked.h"
#include "UException.h"
#include "UFields.h"
#include "UIndex.h"

namespace tv {

namespace {

const char SClosed[] = "Недопустимая операция при закрытом файле";
const char SNoIndex[] = "Не задан индексный объект";

// Above this many key slots per element the primary key is merge-sorted
// instead, which gives the same order without a slot table of that size.
constexpr int64_t kMaxSlotsPerElem = 4;
constexpr int64_t kMinSlots = 1 << 16;

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

namespace {

constexpr size_t kSystemBlock = size_t(1) << 20;
constexpr size_t kHugePage = size_t(2) << 20;

} // namespace

uint8_t* TRecordMemory::allocate(size_t n)
{
    if (n < kSystemBlock) {
        void* p = std::calloc(n, 1);
        if (!p) throw std::bad_alloc();
        return static_cast<uint8_t*>(p);
    }
    void* p = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    // Only the whole huge pages inside the block; the hint may be refused.
    const auto start = (reinterpret_cast<uintptr_t>(p) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<uintptr_t>(p) + n) & ~(kHugePage - 1);
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    return static_cast<uint8_t*>(p);
}

void TRecordMemory::deallocate(uint8_t* p, size_t n) noexcept
{
    if (n < kSystemBlock)
        std::free(p);
    else
        ::munmap(p, n);
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
    TRecordBlock elems(static_cast<size_t>(capacity) * FElemSize);
    std::copy_n(FElems.begin(), std::min(elems.size(), FElems.size()), elems.begin());
    FElems.swap(elems);
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
    if (FIndex->KeySize() != 4) {
        MergeSort();
        return;
    }
    if (FElemCount == 0) return;
    const int32_t n = FIndex->GetKeyField()->GetNextKeyValue();
    std::vector<int32_t> keys(static_cast<size_t>(FElemCount));
    for (int32_t i = 0; i < FElemCount; ++i) {
        FIndex->KeyFromRecord(Elem(i) + 4);
        std::memcpy(&keys[i], FIndex->KeyBuffer(), 4);
        CheckIndex(keys[i], n);
    }
    // A slot table far larger than the block, or two records with one key
    // (a damaged file), gives way to the merge sort: the same order, and
    // nothing is lost.
    if (n > kMinSlots && n / kMaxSlotsPerElem > FElemCount) {
        MergeSort();
        return;
    }
    std::vector<int32_t> slots(static_cast<size_t>(n), -1);
    for (int32_t i = 0; i < FElemCount; ++i) {
        if (slots[keys[i]] != -1) {
            MergeSort();
            return;
        }
        slots[keys[i]] = i;
    }
    TRecordBlock elems(FElems.size());
    size_t j = 0;
    for (int32_t k = 0; k < n; ++k) {
        if (slots[k] == -1) continue;
        std::memcpy(elems.data() + j * FElemSize, Elem(slots[k]), static_cast<size_t>(FElemSize));
        ++j;
    }
    FElems.swap(elems);
}

void TDatArr::MergeSort()
{
    if (FIndex == nullptr) throw Exception(SNoIndex);
    if (FElemCount <= 1) return;
    if (SortByLeadingInteger()) return;
    FScratch.resize(static_cast<size_t>((FElemCount + 1) / 2) * FElemSize);
    try {
        MergeSortRange(0, FElemCount - 1);
    } catch (...) {
        std::vector<uint8_t>().swap(FScratch);
        throw;
    }
    std::vector<uint8_t>().swap(FScratch);
}

// An index that starts with a plain integer field of a narrow range (the
// goods number of the movements) is sorted by one stable counting pass over
// that field; then only records sharing its value are compared, by the merge
// sort's own steps. The order is the merge sort's, ties included.
bool TDatArr::SortByLeadingInteger()
{
    const TField* lead = FIndex->LeadingField();
    if (typeid(*lead) != typeid(TIntegerField)) return false;
    // The values once, read out of the records in one pass.
    const size_t at = 4 + static_cast<size_t>(FIndex->LeadingFieldOffset());
    std::vector<int32_t> values(static_cast<size_t>(FElemCount));
    for (int32_t i = 0; i < FElemCount; ++i) std::memcpy(&values[i], Elem(i) + at, 4);
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const int32_t low = *lo;
    const int64_t range = int64_t(*hi) - low + 1;
    if (range > 4 * int64_t(FElemCount) + 1024) return false;

    std::vector<int32_t> next(static_cast<size_t>(range) + 1, 0);
    for (const int32_t v : values) ++next[static_cast<size_t>(int64_t(v) - low) + 1];
    for (size_t k = 1; k < next.size(); ++k) next[k] += next[k - 1];
    // Where each element comes from, then one pass that fetches them in
    // their new order: the reads are independent and overlap.
    std::vector<int32_t> from(static_cast<size_t>(FElemCount));
    for (int32_t i = 0; i < FElemCount; ++i) from[next[static_cast<size_t>(int64_t(values[i]) - low)]++] = i;
    const auto size = static_cast<size_t>(FElemSize);
    TRecordBlock elems(FElems.size());
    for (int32_t d = 0; d < FElemCount; ++d)
        std::memcpy(elems.data() + static_cast<size_t>(d) * size, Elem(from[d]), size);
    FElems.swap(elems);
    if (!FIndex->IsComposite()) return true;

    // next[k] is now the end of the run of value low + k.
    int32_t longest = 0;
    for (size_t k = 0, begin = 0; k + 1 < next.size(); begin = static_cast<size_t>(next[k++]))
        longest = std::max<int32_t>(longest, next[k] - static_cast<int32_t>(begin));
    FScratch.resize(static_cast<size_t>((longest + 1) / 2 + 1) * size);
    try {
        int32_t begin = 0;
        for (size_t k = 0; k + 1 < next.size(); ++k) {
            const int32_t end = next[k];
            if (end - begin > 17)
                MergeSortRange(begin, end - 1);
            else if (end - begin > 1)
                InsertionSortRange(begin, end - 1);
            begin = end;
        }
    } catch (...) {
        std::vector<uint8_t>().swap(FScratch);
        throw;
    }
    std::vector<uint8_t>().swap(FScratch);
    return true;
}

void TDatArr::MergeSortRange(int32_t lo, int32_t hi)
{
    const int32_t mid = lo + (hi - lo) / 2;
    if (lo < mid) {
        if (mid - lo > 16)
            MergeSortRange(lo, mid);
        else
            InsertionSortRange(lo, mid);
    }
    if (mid + 1 < hi) {
        if (hi - (mid + 1) > 16)
            MergeSortRange(mid + 1, hi);
        else
            InsertionSortRange(mid + 1, hi);
    }
    const int32_t leftLen = mid - lo + 1;
    std::memcpy(FScratch.data(), Elem(lo), static_cast<size_t>(leftLen) * FElemSize);
    int32_t j = 0, i = mid + 1, k = lo;
    while (j < leftLen && i <= hi) {
        const uint8_t* left = FScratch.data() + static_cast<size_t>(j) * FElemSize;
        if (FIndex->CompareRecords(left + 4, Elem(i) + 4) > 0) {
            std::memcpy(Elem(k), Elem(i), static_cast<size_t>(FElemSize));
            ++i;
        } else {
            std::memcpy(Elem(k), left, static_cast<size_t>(FElemSize));
            ++j;
        }
        ++k;
    }
    if (j < leftLen)
        std::memcpy(Elem(k), FScratch.data() + static_cast<size_t>(j) * FElemSize,
                    static_cast<size_t>(leftLen - j) * FElemSize);
}

// Runs only from MergeSortRange before its merge step, while nothing in the
// scratch memory is in use, so its first element serves as the temporary.
void TDatArr::InsertionSortRange(int32_t a, int32_t b)
{
    uint8_t* temp = FScratch.data();
    const auto size = static_cast<size_t>(FElemSize);
    for (int32_t c = a + 1; c <= b; ++c) {
        std::memcpy(temp, Elem(c), size);
        int32_t e = c;
        while (e > a && FIndex->CompareRecords(temp + 4, Elem(e - 1) + 4) < 0) {
            std::memcpy(Elem(e), Elem(e - 1), size);
            --e;
        }
        std::memcpy(Elem(e), temp, size);
    }
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
    TRecordBlock().swap(FElems);
    FCapacity = 0;
}

void TDatArr::Open(bool CreateIfMissing)
{
    TDatFile::Open(CreateIfMissing);
    try {
        SetSizes();
        TDatHeader header;
        GetHeader(header);
        SetElemCount(std::max(0, header.RecordCount - header.DeletedCount));
        // The live records are counted while reading, so a deleted count
        // that disagrees with the status words neither leaves elements
        // unfilled nor writes past the block.
        // Records are read in chunks: one seek and one read per chunk.
        constexpr int32_t ChunkRecords = 4096;
        const size_t dataSize = static_cast<size_t>(Fields()->DataSize());
        std::vector<uint8_t> chunk;
        int32_t count = 0;
        int64_t offset = header.HeaderSize;
        for (int32_t r = 0; r < header.RecordCount;) {
            const int32_t n = std::min(ChunkRecords, header.RecordCount - r);
            chunk.resize(static_cast<size_t>(n) * static_cast<size_t>(header.RecordSize));
            Seek(offset, 0);
            Read(chunk.data(), CheckedMul(n, header.RecordSize));
            for (int32_t i = 0; i < n; ++i, ++r, offset += header.RecordSize) {
                const uint8_t* record = chunk.data() + static_cast<size_t>(i) * static_cast<size_t>(header.RecordSize);
                if ((record[0] | record[1] | record[2] | record[3]) != 0) continue;  // not live
                if (count == FElemCount) SetElemCount(CheckedAdd(count, 1));
                SetElemOffset(count, static_cast<int32_t>(offset));
                std::memcpy(Elem(count) + 4, record + TDatFile::PrefixBytes, dataSize);
                ++count;
            }
        }
        if (count < FElemCount) SetElemCount(count);
        FCurElem = 0;
        if (FElemCount > 0) {
            SetCurElem(0);
        } else {
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

void TDatArr::Empty()
{
    TDatFile::Empty();
    SetElemCount(0);
    FCurElem = 0;
}

} // namespace tv
