// Imports that fail on a write or a flush, power cuts in the middle of
// imports, inserts and bookings, and reopenings, in random order against a
// small model: after every step the goods are the model's, each goods'
// totals are its movements', and no movement names missing goods.

#include "StoreTestKit.h"

#include "UDatFile.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

using namespace tv;
using namespace tv::testkit;

namespace {

struct TEntry {
    std::string Code, Name;
    TModelGoods Goods;
};
using TModel = std::vector<TEntry>;

class StoreImportModel : public ::testing::TestWithParam<unsigned> {
protected:
    StoreImportModel()
    {
        LoadEnglishTexts();
        std::filesystem::create_directory(FFolder.Path() + "Data");
        FStore = std::make_unique<TStore>();
        FStore->SetEnv(FEnv.get());
        FStore->Open(true, "Data");
    }

    int64_t Pick(int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(FRandom); }
    int64_t Price() { return Pick(0, 9) == 0 ? Pick(100, 99999) : Pick(1, 9999); }
    int64_t Quantity() { return Pick(0, 4) == 0 ? 100 * Pick(1, 20) : Pick(1, 500); }

    // New goods of a supplier's list: barcodes cut to the field, names up
    // to its width, goods sold by weight.
    TEntry NewEntry()
    {
        ++FMade;
        TEntry e;
        e.Code = std::to_string(20000000 + FMade);
        e.Name = FMade % 7 == 0 ? std::string(40, 'Z') : "Сир ваговий " + std::to_string(FMade);
        e.Goods.Price = Price();
        return e;
    }

    // Whether the book is the model, quietly.
    bool IsModel(TStore& store, const TModel& model)
    {
        TTableStore& g = store.Goods();
        if (size_t(g.RecordCount()) != model.size())
            return false;
        g.SetIndex(g.IndID.get());
        for (size_t i = 0; i < model.size(); ++i) {
            g.SetRecNo(static_cast<int32_t>(i));
            const TEntry& e = model[i];
            if (g.Code.GetText() != e.Code || g.Name.GetText() != e.Name || g.Cost.GetValue() != e.Goods.Price ||
                g.Weight.GetValue() != e.Goods.Weight || g.PCount.GetValue() != e.Goods.PCount ||
                g.Sum.GetValue() != e.Goods.Sum)
                return false;
        }
        return true;
    }

    void ExpectSound(TStore& store)
    {
        ExpectInvariants(store);
        EXPECT_EQ(Snapshot(store).find("orphans"), std::string::npos);
    }

    // The import of the entries; what the model gains is whole groups of
    // them, whatever failed.
    void Import(TStore& store, const TModel& entries)
    {
        std::vector<TStore::TNewGoods> lines;
        for (const TEntry& e : entries) {
            const TModelGoods::TMove& in = e.Goods.Moves.front();
            lines.push_back({e.Code, e.Name, Money(e.Goods.Price), Money(in.Weight), std::to_string(in.PCount)});
        }
        store.ImportGoods(lines, "Import from file list.csv");
    }

    TModel Entries(int64_t n)
    {
        TModel list;
        for (int64_t k = 0; k < n; ++k) {
            TEntry e = NewEntry();
            e.Goods.Book({true, Quantity(), Pick(0, 3)});
            list.push_back(e);
        }
        return list;
    }

    // The model with the first n entries added.
    TModel With(const TModel& entries, size_t n) const
    {
        TModel m = FModel;
        m.insert(m.end(), entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(n));
        return m;
    }

    // The candidates an import of entries may have left: whole groups.
    std::vector<TModel> GroupsOf(const TModel& entries) const
    {
        std::vector<TModel> c;
        for (size_t n = 0;; n += TDatFile::MaxGroupRecords) {
            c.push_back(With(entries, std::min(n, entries.size())));
            if (n >= entries.size())
                break;
        }
        return c;
    }

    // Takes the candidate the book is; fails when it is none.
    void Adopt(TStore& store, const std::vector<TModel>& candidates, const std::string& what)
    {
        for (const TModel& c : candidates)
            if (IsModel(store, c)) {
                FModel = c;
                return;
            }
        ADD_FAILURE() << what << ": the book is none of " << candidates.size() << " outcomes\n"
                      << Snapshot(store).substr(0, 3000);
    }

    void Select(TStore& store, size_t goods)
    {
        TTableStore& g = store.Goods();
        g.SetIndex(g.IndID.get());
        g.SetRecNo(static_cast<int32_t>(goods));
    }

    // An insert (kind 0), receipt (1) or issue (2, 3); after is the model
    // once it is done, set before the book is changed.
    void Change(TStore& store, int64_t kind, TModel& after)
    {
        after = FModel;
        if (kind == 0 || FModel.empty()) {
            TEntry e = NewEntry();
            const TModelGoods::TMove in{true, Quantity(), Pick(0, 3)};
            e.Goods.Book(in);
            after.push_back(e);
            store.InsertGoods(e.Code, e.Name, Money(e.Goods.Price), Money(in.Weight), std::to_string(in.PCount), "");
            return;
        }
        const size_t goods = size_t(Pick(0, int64_t(FModel.size()) - 1));
        TModelGoods& m = after[goods].Goods;
        Select(store, goods);
        if (kind == 1) {
            const TModelGoods::TMove in{true, Quantity(), Pick(0, 2)};
            m.Book(in);
            store.AddGoods(Money(in.Weight), std::to_string(in.PCount), "");
        } else {
            const TModelGoods::TMove out{false, Pick(0, 1) ? m.Weight : Pick(0, m.Weight), Pick(0, m.PCount)};
            m.Book(out);
            store.DeductGoods(Money(out.Weight), std::to_string(out.PCount), "");
        }
    }

    TProgramFolder FFolder;
    TRecordingMessages FMessages;
    std::unique_ptr<TFaultEnv> FEnv = std::make_unique<TFaultEnv>();
    std::unique_ptr<TStore> FStore;
    TModel FModel;
    std::mt19937 FRandom{GetParam()};
    int FMade = 0;
};

TEST_P(StoreImportModel, EveryOutcomeIsWholeStepsOfTheModel)
{
    int failedImports = 0, cutImports = 0, cutOthers = 0, mendedImports = 0;
    for (int step = 0; step < 120 && !HasFailure(); ++step) {
        const int64_t kind = Pick(0, 99);
        std::string what;
        if (kind < 45) {
            what = "change";
            TModel after;
            Change(*FStore, Pick(0, 3), after);
            FModel = after;
        } else if (kind < 65) {
            // An import that may fail on a write or a flush (a full disk,
            // a failing stick); the session goes on.
            const TModel entries = Entries(Pick(0, 3) == 0 ? Pick(1025, 2600) : Pick(1, 300));
            const int64_t fault = Pick(0, 2);
            what = "import of " + std::to_string(entries.size()) + " lines, fault " + std::to_string(fault);
            if (fault == 1)
                FEnv->FailWrite(static_cast<int>(Pick(1, 8)));
            else if (fault == 2)
                FEnv->FailSync(static_cast<int>(Pick(1, 8)));
            try {
                Import(*FStore, entries);
            } catch (const Exception&) {
                ++failedImports;
            }
            FEnv->ClearFaults();
            Adopt(*FStore, GroupsOf(entries), what);
        } else if (kind < 85) {
            // A power cut in the middle of an import or another change.
            const bool import = Pick(0, 1) == 0;
            what = import ? "cut import" : "cut change";
            std::vector<TModel> outcomes{FModel};
            TModel after;
            FEnv->CutAfter(Pick(0, 30));
            try {
                if (import) {
                    const TModel entries = Entries(Pick(1, 2600));
                    outcomes = GroupsOf(entries);
                    Import(*FStore, entries);
                } else {
                    Change(*FStore, Pick(0, 3), after);
                }
            } catch (const Exception&) {
            }
            if (!import)
                outcomes.push_back(after);
            (import ? cutImports : cutOthers)++;
            std::vector<int64_t> kept;
            for (const auto& p : FEnv->Pending()) {
                const int64_t k = Pick(0, 2);
                kept.push_back(k == 0 ? 0 : k == 1 ? (p.Truncation ? 1 : p.Size) : (p.Truncation ? 1 : p.Size / 2));
            }
            FStore.reset();
            FEnv = FEnv->Crash(kept);
            FStore = std::make_unique<TStore>();
            FStore->SetEnv(FEnv.get());
            FStore->Open(false, "Data");
            EXPECT_FALSE(FStore->Repair().FilesApart) << what;
            mendedImports += FStore->Repair().ImportCut;
            Adopt(*FStore, outcomes, what);
        } else {
            what = "reopen";
            FStore->Close();
            FStore->Open(false, "Data");
            EXPECT_FALSE(FStore->Repair().FilesApart);
        }
        SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
        EXPECT_TRUE(IsModel(*FStore, FModel)) << Snapshot(*FStore).substr(0, 3000);
        ExpectSound(*FStore);
    }
    // The run met what it is about.
    EXPECT_GT(failedImports, 2);
    EXPECT_GT(cutImports, 3);
    EXPECT_GT(mendedImports, 0);
    EXPECT_GT(cutOthers, 3);
}

INSTANTIATE_TEST_SUITE_P(Seeds, StoreImportModel, ::testing::Values(1u, 7u, 42u, 2026u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "seed" + std::to_string(info.param);
                         });

} // namespace
