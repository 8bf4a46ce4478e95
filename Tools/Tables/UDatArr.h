#pragma once
// TDatArr: every live record of its data file in one contiguous block, one
// element per record (the record's int32 file offset, then the record data
// as TFields packs it), kept physically in the order of the current index.
// Every change of the file is mirrored in the block, so memory and file hold
// the same records. One element is current; the fields hold its values.

#include <cstdint>
#include <string>
#include <vector>

#include "UBlockSort.h"
#include "UDatFile.h"
#include "URecordBlock.h"

namespace tv {

class TIndex;

class TDatArr : public TDatFile {
public:
    TDatArr();
    ~TDatArr() override;

    // Number of elements (the live records) and the current one. The file
    // must be open.
    int32_t ElemCount() const;
    int32_t GetCurElem() const;

    // Resizes the block to n elements, keeping the leading ones; the capacity
    // follows GrowCapacity and shrinks when n falls below the count. New
    // elements are not filled. Fails on a closed file, for n < 0 and for n
    // above GetMaxElemCount.
    void SetElemCount(int32_t n);
    // Makes element i current: the record offset moves to it and the fields
    // load it. With no elements it does nothing.
    void SetCurElem(int32_t i);

    int32_t GetCapacity() const { return FCapacity; }
    int32_t GetElemSize() const { return FElemSize; }
    int32_t GetMaxElemCount() const { return FMaxElemCount; }
    // Capacity for n >= 1 elements: a multiple of 16 below 64, else the
    // largest power of two P not above n plus as many quarters of P as needed.
    static int64_t GrowCapacity(int64_t n);

    // An index whose leading field is a plain integer: the open places the
    // live records straight in the order of that field, equal values in
    // file order, as the stable sort by it would; other fields keep the
    // file order. None (the default) loads the file order.
    void SetScanOrder(const TIndex* Index) { FScanOrder = Index; }

    // The current index or none. The file must be open.
    TIndex* GetIndex() const;
    // Selects an index and sorts the block by it (stable), keeping the
    // current record; the same index again does nothing; none keeps the
    // order. The file must be open.
    virtual void SetIndex(TIndex* Index);

    // Moves to the record matching the index's key buffer: on the primary
    // key the equal element (or the last probed), else the leftmost equal
    // element, the first greater, or the last. Needs an index.
    void Locate();
    // Place after the last element whose key equals the key buffer, else of
    // the first greater (ElemCount when none). Needs an open file and an index.
    int32_t InsertPosition() const;

    // Bookmark by file offset: 0 when there are no elements.
    int32_t GetRecordPos() const;
    // Makes current the element with that offset; with no elements it does
    // nothing; an offset no element holds fails.
    void SetRecordPos(int32_t Offset);

    // Display text of field Field of element Elem, without touching the
    // field objects. Fails outside the elements or fields.
    virtual std::string GetElemText(int32_t Elem, int32_t Field) const;
    // Address of field Field's bytes inside element Elem.
    const uint8_t* GetElemData(int32_t Elem, int32_t Field) const;

    // The file operations of TDatFile with the block's side. After a failure
    // of the file step the block is put back as it was.
    void CreateNew(bool Overwrite) override;
    // Loads every live record in file order (or placed by the scan order);
    // no index is selected.
    void Open(bool CreateIfMissing) override;
    void Close() override;
    // The new record goes after its equals in index order and becomes current.
    void AppendRecord() override;
    // The edited record moves to its sorted place and stays current.
    void WriteRecord() override;
    // The current number then names the following record (or one past the end).
    void DeleteRecord() override;
    void Empty() override;
    // The group's records join the block in index order, each after its
    // equals, once the file counts them; the last of them becomes current.
    void WriteGroup(const uint8_t* Records, int32_t Count) override;
    void CountGroup(TGroupCount How = TGroupCount::Flushed) override;
    // Everything of CountGroup that can run out of memory, done ahead, so
    // that a Deferred count then cannot fail; UnprepareGroup takes it back.
    // Needs a group written and not counted.
    void PrepareGroup();
    void UnprepareGroup();

protected:
    // Counting sort by the integer primary key's values.
    void SortByKeyValue();
    // Stable sort by the current index; each record moves once.
    void MergeSort();

private:
    void CheckOpen() const;
    TIndex* RequireIndex() const;
    void SetSizes();
    uint8_t* Elem(int32_t i) { return FElems.data() + static_cast<size_t>(i) * FElemSize; }
    const uint8_t* Elem(int32_t i) const
    {
        return FElems.data() + static_cast<size_t>(i) * FElemSize;
    }
    int32_t ElemOffset(int32_t i) const;
    void SetElemOffset(int32_t i, int32_t offset);
    // Moves count elements from element from to element to (may overlap).
    void MoveElems(int32_t to, int32_t from, int32_t count);
    void Reallocate(int32_t capacity);
    int32_t CompareKeyAt(const TIndex* index, int32_t i) const;
    TBlockView View() { return {FElems.data(), FElemSize, FElemCount}; }
    // Sorts the last count elements among themselves and makes fresh room
    // for them; MergeTail then merges them into the block before them, each
    // after its equals, and allocates nothing.
    void SortTail(int32_t count, std::vector<uint8_t>& fresh);
    void MergeTail(int32_t count, std::vector<uint8_t>& fresh);
    void LocateUnique();
    void LocateFirst();

    TRecordBlock FElems;
    int32_t FElemSize = 0;
    int32_t FElemCount = 0;
    int32_t FCurElem = 0;
    int32_t FCapacity = 0;
    int32_t FMaxElemCount = 0;
    TIndex* FIndex = nullptr;
    const TIndex* FScanOrder = nullptr;
    // The records of a prepared group (0: none): its elements stand past
    // the old ones, sorted among themselves, and FFresh is the room to
    // merge them.
    int32_t FPreparedCount = 0;
    std::vector<uint8_t> FFresh;
};

} // namespace tv
