// Memory that runs out while a group joins the record block: the block
// and the file agree afterwards, whichever allocation failed.

#include "UBaseFld.h"
#include "UDatArr.h"
#include "UFaultEnv.h"
#include "UFields.h"
#include "UIndex.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FailingAllocation.h"

using tv::testkit::FailAllocationIn;

namespace {

TEST(DatArrMemory, AGroupThatRunsOutOfMemoryJoinsTheBlockOnlyWithTheFile)
{
    int counted = 0, refused = 0;
    for (int failing = 1; failing <= 60; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing) + " fails");
        tv::TIntegerField code;
        tv::TStringField name(10);
        tv::TFields fields({&code, &name});
        code.SetName("Code");
        code.SetPrimaryKey(true);
        name.SetName("Name");
        auto byName = tv::TIndex::CreateNamed(&fields, "ByName", &name);
        tv::TFaultEnv env;
        tv::TDatArr arr;
        arr.SetEnv(&env);
        arr.SetFileName("t.dat");
        arr.SetFields(&fields);
        arr.CreateNew(true);
        const auto record = [&](int32_t key, const std::string& text) {
            fields.Clear();
            fields.AllowEdit();
            code.SetValue(key);
            name.SetText(text);
            fields.ForbidEdit();
            return std::vector<uint8_t>(fields.GetRecord(), fields.GetRecord() + fields.DataSize());
        };
        for (int32_t k = 1; k <= 50; ++k) {
            const std::vector<uint8_t> r = record(k, "m" + std::to_string(100 + 2 * k));
            fields.AllowEdit();
            fields.SetRecord(r.data());
            arr.AppendRecord();
            fields.ForbidEdit();
        }
        arr.SetIndex(byName.get());
        // New names fall between the old ones, so the group is merged.
        std::vector<uint8_t> group;
        for (int32_t k = 0; k < 20; ++k) {
            const std::vector<uint8_t> r = record(51 + k, "m" + std::to_string(201 - 5 * k));
            group.insert(group.end(), r.begin(), r.end());
        }
        arr.WriteGroup(group.data(), 20);
        FailAllocationIn = failing;
        bool failed = false;
        try {
            arr.CountGroup();
        } catch (const std::exception&) {
            failed = true;
        }
        FailAllocationIn = 0;
        tv::TDatHeader h;
        arr.GetHeader(h);
        EXPECT_EQ(arr.ElemCount(), h.RecordCount);
        EXPECT_EQ(arr.ElemCount(), failed ? 50 : 70);
        std::vector<std::string> names;
        for (int32_t i = 0; i < arr.ElemCount(); ++i) names.push_back(arr.GetElemText(i, 1));
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
        arr.Close();
        arr.Open(false);
        EXPECT_EQ(arr.ElemCount(), failed ? 50 : 70);
        (failed ? refused : counted)++;
    }
    // Failures before the file counts, and the success past them.
    EXPECT_GT(refused, 0);
    EXPECT_GT(counted, 0);
}

} // namespace
