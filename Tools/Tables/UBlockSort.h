#pragma once
// Sorts and permutations of a record block's elements by an index. Each
// element holds the record's int32 file offset, then the record data as
// TFields packs it. Large blocks are sorted on up to PartThreads() threads.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tv {

class TIndex;

// Count elements of ElemSize bytes each, from Data on.
struct TBlockView {
    uint8_t* Data = nullptr;
    int32_t ElemSize = 0;
    int32_t Count = 0;

    uint8_t* Elem(int32_t i) const { return Data + static_cast<size_t>(i) * ElemSize; }
};

namespace BlockSort {

// Stable sort by the index; each element moves once.
void StableSort(const TBlockView& View, const TIndex& Index);
// By the values of an integer primary key of 4 bytes, each below the key's
// next value, through a table of slots; keys too sparse for the table, two
// equal keys or another key take the stable sort, which gives the same
// order. Raises when a key is out of the slots.
void SortByKeyValue(const TBlockView& View, TIndex& Index);

// Stable sort of the element numbers in From by the index's record order;
// false, with From unchanged, when they are in order already.
bool SortPlaces(const TBlockView& View, const TIndex& Index, std::vector<int32_t>& From);
// Element From[d] goes to place Base + d, for every d, in place: one cycle
// at a time through a temporary of one element. Uses up From.
void Permute(const TBlockView& View, std::vector<int32_t>& From, int32_t Base);
// The same with the places: element Base + i goes to place Base + To[i].
// To ends as the identity.
void PermuteTo(const TBlockView& View, std::vector<int32_t>& To, int32_t Base);

// Whether a table of that many places for a counting pass over count
// elements stays near the size of the elements; NarrowRange: a table of
// one place for each value from low to high.
bool SmallTable(int64_t places, size_t count);
bool NarrowRange(int32_t low, int32_t high, size_t count);

} // namespace BlockSort

} // namespace tv
