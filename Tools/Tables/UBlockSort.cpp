#include "UBlockSort.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <typeinfo>
#include <utility>

#include "UBaseFld.h"
#include "UChecked.h"
#include "UIndex.h"
#include "UParts.h"

namespace tv::BlockSort {

bool SmallTable(int64_t places, size_t count) { return places <= 4 * int64_t(count) + 1024; }

bool NarrowRange(int32_t low, int32_t high, size_t count) { return SmallTable(int64_t(high) - low + 1, count); }

bool SortPlaces(const TBlockView& v, const TIndex& index, std::vector<int32_t>& from)
{
    const auto less = [&](int32_t a, int32_t b) { return index.CompareRecords(v.Elem(a) + 4, v.Elem(b) + 4) < 0; };
    if (std::is_sorted(from.begin(), from.end(), less)) return false;
    std::stable_sort(from.begin(), from.end(), less);
    return true;
}

void Permute(const TBlockView& v, std::vector<int32_t>& from, int32_t base)
{
    std::vector<int32_t> to(from.size());
    for (size_t d = 0; d < from.size(); ++d) to[static_cast<size_t>(from[d] - base)] = static_cast<int32_t>(d);
    std::vector<int32_t>().swap(from);
    PermuteTo(v, to, base);
}

void PermuteTo(const TBlockView& v, std::vector<int32_t>& to, int32_t base)
{
    // Each cycle with one element in hand: it goes to its place and the
    // element found there is taken up next. A second walk runs kAhead
    // places ahead along the cycle and only fetches, so the waits for
    // memory overlap instead of coming one after another.
    constexpr int kAhead = 16;
    const auto size = static_cast<size_t>(v.ElemSize);
    std::vector<uint8_t> buffers(2 * size);
    uint8_t* hand = buffers.data();
    uint8_t* found = buffers.data() + size;
    const auto fetch = [&](int32_t i) {
        const uint8_t* p = v.Elem(base + i);
        for (size_t at = 0; at < size; at += 64) __builtin_prefetch(p + at, 1);
        __builtin_prefetch(p + size - 1, 1);
    };
    for (int32_t start = 0; start < static_cast<int32_t>(to.size()); ++start) {
        int32_t j = to[static_cast<size_t>(start)];
        if (j == start) continue;
        std::memcpy(hand, v.Elem(base + start), size);
        to[static_cast<size_t>(start)] = start;
        int32_t ahead = j;
        for (int k = 0; k < kAhead; ++k) {
            fetch(ahead);
            ahead = to[static_cast<size_t>(ahead)];
        }
        while (j != start) {
            fetch(ahead);
            ahead = to[static_cast<size_t>(ahead)];
            uint8_t* place = v.Elem(base + j);
            const int32_t next = to[static_cast<size_t>(j)];
            std::memcpy(found, place, size);
            std::memcpy(place, hand, size);
            std::swap(hand, found);
            to[static_cast<size_t>(j)] = j;
            j = next;
        }
        std::memcpy(v.Elem(base + start), hand, size);
    }
}

namespace {

// Above this many key slots per element the primary key is merge-sorted
// instead, which gives the same order without a slot table of that size.
constexpr int64_t kMaxSlotsPerElem = 4;
constexpr int64_t kMinSlots = 1 << 16;
// Below this many elements a sort runs on one thread.
constexpr int32_t kElemsPerPart = 1 << 16;

// An index that starts with a plain integer field of a narrow range (the
// goods number of the movements) is sorted by one stable counting pass over
// that field; then only records sharing its value are compared. The order
// is the stable sort's, ties included.
bool SortByLeadingInteger(const TBlockView& v, const TIndex& index)
{
    const TField* lead = index.LeadingField();
    if (typeid(*lead) != typeid(TIntegerField)) return false;
    // The values once, read out of the records in one pass.
    const size_t at = 4 + static_cast<size_t>(index.LeadingFieldOffset());
    std::vector<int32_t> values(static_cast<size_t>(v.Count));
    for (int32_t i = 0; i < v.Count; ++i) std::memcpy(&values[i], v.Elem(i) + at, 4);
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const int32_t low = *lo;
    if (!NarrowRange(low, *hi, values.size())) return false;
    const int64_t range = int64_t(*hi) - low + 1;

    std::vector<int32_t> next(static_cast<size_t>(range) + 1, 0);
    for (const int32_t v : values) ++next[static_cast<size_t>(int64_t(v) - low) + 1];
    for (size_t k = 1; k < next.size(); ++k) next[k] += next[k - 1];
    if (std::is_sorted(values.begin(), values.end())) {
        // Already grouped (as the open places them): the starts become ends.
        std::copy(next.begin() + 1, next.end(), next.begin());
    } else {
        // The values make way for the places the elements go to.
        for (int32_t& v : values) v = next[static_cast<size_t>(int64_t(v) - low)]++;
        PermuteTo(v, values, 0);
    }
    if (!index.IsComposite()) return true;
    std::vector<int32_t>().swap(values);
    // next[k] is now the end of the run of value low + k; each run is sorted
    // in its place, where its records lie together. A large block is sorted
    // in parts of whole runs in parallel, each part in its own elements.
    const size_t runs = next.size() - 1;
    const size_t parts = v.Count >= kElemsPerPart ? PartThreads() : 1;
    RunParts(parts, [&](size_t part) {
        std::vector<int32_t> from;
        for (size_t k = runs * part / parts; k < runs * (part + 1) / parts; ++k) {
            const auto begin = static_cast<size_t>(k == 0 ? 0 : next[k - 1]);
            const auto end = static_cast<size_t>(next[k]);
            if (end - begin < 2) continue;
            from.resize(end - begin);
            for (size_t i = 0; i < from.size(); ++i) from[i] = static_cast<int32_t>(begin + i);
            if (SortPlaces(v, index, from)) Permute(v, from, static_cast<int32_t>(begin));
        }
    });
    return true;
}

// A key's bytes copied out of its element, with the element's number.
template <size_t N>
struct TCopiedKey {
    uint8_t Value[N];
    int32_t Place;
};

// How many of the first k of the merge of a[0, n) and b[0, m) come from a,
// under a strict total order.
template <typename TKey, typename TLess>
size_t MergeSplit(const TKey* a, size_t n, const TKey* b, size_t m, size_t k, const TLess& less)
{
    size_t lo = k > m ? k - m : 0, hi = std::min(k, n);
    while (lo < hi) {
        const size_t i = lo + (hi - lo) / 2;
        if (less(a[i], b[k - i - 1]))
            lo = i + 1;
        else
            hi = i;
    }
    return lo;
}

// The element number breaks ties, so that any sort gives the stable order
// and parts sorted in parallel merge to the same result. The parts are
// merged pairwise, each round's output shared among the threads; the last
// round writes each element's place.
template <size_t N>
bool SortByCopiedKeys(const TBlockView& v, const TIndex& index)
{
    using TKey = TCopiedKey<N>;
    const TField* field = index.GetKeyField();
    const size_t at = 4 + static_cast<size_t>(index.LeadingFieldOffset());
    const auto size = static_cast<size_t>(index.KeySize());
    const auto count = static_cast<size_t>(v.Count);
    const size_t parts = v.Count >= kElemsPerPart ? PartThreads() : 1;
    const auto bound = [count, parts](size_t part) { return count * std::min(part, parts) / parts; };
    const auto less = [field](const TKey& a, const TKey& b) {
        const int32_t c = field->CompareData(a.Value, b.Value);
        return c < 0 || (c == 0 && a.Place < b.Place);
    };
    std::unique_ptr<TKey[]> keys(new TKey[count]);
    std::vector<char> sorted(parts);
    RunParts(parts, [&](size_t part) {
        for (size_t i = bound(part); i < bound(part + 1); ++i) {
            std::memcpy(keys[i].Value, v.Elem(static_cast<int32_t>(i)) + at, size);
            keys[i].Place = static_cast<int32_t>(i);
        }
    });
    // Each part's check reaches the first key of the next part.
    RunParts(parts, [&](size_t part) {
        const size_t end = std::min(count, bound(part + 1) + 1);
        sorted[part] = std::is_sorted(keys.get() + bound(part), keys.get() + end, less);
    });
    if (std::all_of(sorted.begin(), sorted.end(), [](char s) { return s != 0; })) return true;
    RunParts(parts, [&](size_t part) { std::sort(keys.get() + bound(part), keys.get() + bound(part + 1), less); });
    std::vector<int32_t> to(count);
    const auto place = [&](size_t k, const TKey& key) { to[static_cast<size_t>(key.Place)] = static_cast<int32_t>(k); };
    if (parts == 1) {
        for (size_t k = 0; k < count; ++k) place(k, keys[k]);
    } else {
        std::unique_ptr<TKey[]> other;
        for (size_t width = 1; width < parts; width *= 2) {
            const bool last = 2 * width >= parts;
            if (!last && !other) other.reset(new TKey[count]);
            const size_t pairs = (parts + 2 * width - 1) / (2 * width);
            const size_t share = parts / pairs;  // threads a pair
            RunParts(pairs * share, [&](size_t task) {
                const size_t pair = task / share, piece = task % share;
                const size_t b = bound(2 * width * pair), m = bound(2 * width * pair + width);
                const size_t e = bound(2 * width * (pair + 1));
                const TKey* x = keys.get() + b;
                const TKey* y = keys.get() + m;
                const size_t n = m - b, total = e - b;
                const size_t k0 = total * piece / share, k1 = total * (piece + 1) / share;
                size_t i = MergeSplit(x, n, y, e - m, k0, less), j = k0 - i;
                for (size_t k = k0; k < k1; ++k) {
                    const TKey& next = j == e - m || (i < n && less(x[i], y[j])) ? x[i++] : y[j++];
                    if (last)
                        place(b + k, next);
                    else
                        other[b + k] = next;
                }
            });
            if (!last) std::swap(keys, other);
        }
    }
    keys.reset();
    PermuteTo(v, to, 0);
    return true;
}

// A single field of at most 40 bytes (a name): its values are copied out
// with the element numbers and the compact pairs are sorted instead of
// the elements.
bool SortByShortKey(const TBlockView& v, const TIndex& index)
{
    if (index.IsComposite() || index.KeySize() > 40) return false;
    if (index.KeySize() <= 8) return SortByCopiedKeys<8>(v, index);
    return SortByCopiedKeys<40>(v, index);
}

} // namespace

void StableSort(const TBlockView& v, const TIndex& index)
{
    if (v.Count <= 1) return;
    if (SortByLeadingInteger(v, index)) return;
    if (SortByShortKey(v, index)) return;
    std::vector<int32_t> from(static_cast<size_t>(v.Count));
    for (int32_t i = 0; i < v.Count; ++i) from[static_cast<size_t>(i)] = i;
    if (SortPlaces(v, index, from)) Permute(v, from, 0);
}

void SortByKeyValue(const TBlockView& v, TIndex& index)
{
    if (index.KeySize() != 4) {
        StableSort(v, index);
        return;
    }
    if (v.Count == 0) return;
    const int32_t n = index.GetKeyField()->GetNextKeyValue();
    std::vector<int32_t> keys(static_cast<size_t>(v.Count));
    for (int32_t i = 0; i < v.Count; ++i) {
        index.KeyFromRecord(v.Elem(i) + 4);
        std::memcpy(&keys[i], index.KeyBuffer(), 4);
        CheckIndex(keys[i], n);
    }
    // A slot table far larger than the block, or two records with one key
    // (a damaged file), gives way to the stable sort: the same order, and
    // nothing is lost.
    if (n > kMinSlots && n / kMaxSlotsPerElem > v.Count) {
        StableSort(v, index);
        return;
    }
    std::vector<int32_t> slots(static_cast<size_t>(n), -1);
    for (int32_t i = 0; i < v.Count; ++i) {
        if (slots[keys[i]] != -1) {
            StableSort(v, index);
            return;
        }
        slots[keys[i]] = i;
    }
    std::vector<int32_t>().swap(keys);
    std::vector<int32_t> from;
    from.reserve(static_cast<size_t>(v.Count));
    for (const int32_t i : slots)
        if (i != -1) from.push_back(i);
    std::vector<int32_t>().swap(slots);
    Permute(v, from, 0);
}

} // namespace tv::BlockSort
