// The open's load of the block, fed records through the scan sink as the
// open's scan hands them over, without a file.
#include "UBaseFld.h"
#include "UFields.h"
#include "UIndex.h"
#include "UOrderedLoad.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int32_t kPrefix = 8;

// Records of (Code, Group) as a data file holds them, each with its status
// word; record i lies at offset 1000 + i * RecordSize.
class OrderedLoad : public ::testing::Test {
protected:
    OrderedLoad() : Fields({&Code, &Group})
    {
        Code.SetName("Code");
        Group.SetName("Group");
        ByGroup = tv::TIndex::CreateNamed(&Fields, "ByGroup", &Group);
        RecordSize = kPrefix + Fields.DataSize();
        ElemSize = (Fields.DataSize() + 7) & ~3;
    }

    void Add(int32_t group, bool live)
    {
        const int32_t status = live ? 0 : -1;
        const int32_t code = Count() + 1;
        Records.resize(Records.size() + RecordSize, 0);
        uint8_t* rec = Records.data() + Records.size() - RecordSize;
        std::memcpy(rec, &status, 4);
        std::memcpy(rec + kPrefix + Fields.Offsets(0), &code, 4);
        std::memcpy(rec + kPrefix + Fields.Offsets(1), &group, 4);
        if (!live) ++Deleted;
    }
    int32_t Count() const { return static_cast<int32_t>(Records.size() / RecordSize); }
    const uint8_t* Record(int32_t i) const { return Records.data() + static_cast<size_t>(i) * RecordSize; }

    // Hands the records over as the open's scan does: in parts of whole
    // chunks of three records, the first scan and then the second; answers
    // the elements' offsets.
    std::vector<int32_t> Load(const tv::TIndex* order, size_t parts, int32_t headerDeleted)
    {
        tv::TRecordBlock block;
        tv::TOrderedLoad load(order, block, [&](int32_t n) {
            block.Resize(static_cast<size_t>(n) * ElemSize);
            return ElemSize;
        });
        const auto start = [&](size_t part) { return static_cast<int32_t>(Count() * part / parts); };
        const auto feed = [&](size_t part, auto hand) {
            for (int32_t i = start(part); i < start(part + 1); i += 3)
                hand(i, std::min(3, start(part + 1) - i));
        };
        bool inParts = false;
        if (load.Begin({Count(), headerDeleted, RecordSize, parts})) {
            for (size_t part = 0; part < parts; ++part)
                feed(part, [&](int32_t i, int32_t n) { load.FirstRecords(part, Record(i), n); });
            load.DuringFirstScan();
            inParts = load.EndFirstScan();
        }
        if (!inParts) parts = 1;
        for (size_t part = 0; part < parts; ++part)
            feed(part, [&](int32_t i, int32_t n) { load.Records(part, 1000 + i * RecordSize, Record(i), n); });
        std::vector<int32_t> offsets(static_cast<size_t>(load.Loaded()));
        for (size_t k = 0; k < offsets.size(); ++k) {
            std::memcpy(&offsets[k], block.data() + k * ElemSize, 4);
            int32_t code = 0;
            std::memcpy(&code, block.data() + k * ElemSize + 4 + Fields.Offsets(0), 4);
            EXPECT_EQ(code, (offsets[k] - 1000) / RecordSize + 1) << "element " << k << " holds another record's data";
        }
        return offsets;
    }

    // The live records' offsets, by group and else in file order when
    // ordered.
    std::vector<int32_t> Expected(bool ordered) const
    {
        std::vector<int32_t> out;
        for (int32_t i = 0; i < Count(); ++i)
            if (Record(i)[0] == 0) out.push_back(i);
        if (ordered)
            std::stable_sort(out.begin(), out.end(), [&](int32_t a, int32_t b) {
                int32_t ga, gb;
                std::memcpy(&ga, Record(a) + kPrefix + Fields.Offsets(1), 4);
                std::memcpy(&gb, Record(b) + kPrefix + Fields.Offsets(1), 4);
                return ga < gb;
            });
        for (int32_t& i : out) i = 1000 + i * RecordSize;
        return out;
    }

    tv::TIntegerField Code;
    tv::TIntegerField Group;
    tv::TFields Fields;
    std::unique_ptr<tv::TIndex> ByGroup;
    int32_t RecordSize = 0;
    int32_t ElemSize = 0;
    int32_t Deleted = 0;
    std::vector<uint8_t> Records;
};

// Placed by group in parts or in one, the file order without an order or
// when the values spread too wide for a table; a header's deleted count one
// off the status words either way still gives every live record.
TEST_F(OrderedLoad, PlacesEveryLiveRecordOnceInItsOrder)
{
    const struct {
        const char* What;
        bool Ordered;
        uint32_t Groups;
        size_t Parts;
        int32_t DeletedOff;
        bool Placed;
    } cases[] = {
        {"by group in four parts", true, 40, 4, 0, true},
        {"by group in one part", true, 40, 1, 0, true},
        {"file order", false, 40, 1, 0, false},
        {"values too wide for a table", true, 1u << 30, 4, 0, false},
        {"one deleted more than the header counts", false, 40, 1, -1, false},
        {"one deleted less than the header counts", false, 40, 1, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Records.clear();
        Deleted = 0;
        std::mt19937 random(37);
        for (int32_t i = 0; i < 500; ++i) Add(static_cast<int32_t>(random() % c.Groups), random() % 7 != 0);
        EXPECT_EQ(Load(c.Ordered ? ByGroup.get() : nullptr, c.Parts, Deleted + c.DeletedOff), Expected(c.Placed));
    }
}

} // namespace
