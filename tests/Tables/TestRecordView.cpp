// A record view reads each field of every record as the field itself would
// show it, in the order of the current index, and refuses a field of
// another table.

#include "UBaseFld.h"
#include "UDateTime.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UFields.h"
#include "UIndex.h"
#include "UMoneyFld.h"
#include "URecordView.h"
#include "UTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace tv;

namespace {

// Every fixed field type and a string field, the string not first.
class TStock : public TTable {
public:
    TIntegerField Id;
    TDateTimeField When;
    TStringField Name{12};
    TMoneyField Price;
    TBooleanField InStock;
    TFields Set{{&Id, &When, &Name, &Price, &InStock}};
    std::unique_ptr<TIndex> ByName = TIndex::CreateNamed(&Set, "ByName", &Name);

    explicit TStock(TFileEnv* env)
    {
        Id.SetName("Id");
        Id.SetPrimaryKey(true);
        Name.SetName("Name");
        SetEnv(env);
        SetFields(&Set);
        SetFileName("stock.dat");
    }
    ~TStock() override
    {
        if (IsOpen())
            Close();
    }
    void Add(const std::string& name, uint32_t price, TDateTime when, bool inStock)
    {
        Insert();
        Name.SetText(name);
        Price.SetValue(price);
        When.SetValue(when);
        InStock.SetValue(inStock);
        Post();
    }
};

} // namespace

TEST(TRecordView, ReadsEveryFieldAsTheFieldShowsIt)
{
    TFaultEnv env;
    TStock t(&env);
    t.Open(true);
    t.AddIndex(t.ByName.get());
    // A name of the full width has no closing zero in the record.
    t.Add("Чай", 4294967295u, EncodeDate(2026, 3, 1), true);
    t.Add("Apple", 0, 0, false);
    t.Add("Жёлудь длинн", 12345, EncodeDateTime(2026, 3, 2, 9, 30, 0, 0), false);
    t.SetIndex(t.ByName.get());

    const TRecordView view(t);
    ASSERT_EQ(view.Count(), 3);
    const auto id = view.Column(t.Id);
    const auto when = view.Column(t.When);
    const auto name = view.Column(t.Name);
    const auto price = view.Column(t.Price);
    const auto inStock = view.Column(t.InStock);
    for (int32_t i = 0; i < view.Count(); ++i) {
        t.SetRecNo(i);
        EXPECT_EQ(id(i), t.Id.GetValue()) << i;
        EXPECT_EQ(when(i), t.When.GetValue()) << i;
        EXPECT_EQ(when.Text(i), t.When.GetText()) << i;
        const auto* bytes = static_cast<const char*>(t.Name.GetData());
        const auto width = static_cast<size_t>(t.Name.DataSize());
        EXPECT_EQ(std::string(name(i)), std::string(bytes, ::strnlen(bytes, width))) << i;
        EXPECT_EQ(name.Text(i), t.Name.GetText()) << i;
        EXPECT_EQ(price(i), t.Price.GetValue()) << i;
        EXPECT_EQ(inStock(i) != 0, t.InStock.GetValue()) << i;
    }
    EXPECT_EQ(name.Text(0), "Apple");
    EXPECT_EQ(name(1).size(), 12u) << "the full width, without a zero to end it";
    EXPECT_EQ(price(2), 4294967295u);

    bool outside = false;
    try {
        (void)price(3);
    } catch (const ERangeError&) {
        outside = true;
    }
    EXPECT_TRUE(outside) << "one past the last record";

    TIntegerField stranger;
    stranger.SetName("Stranger");
    bool refused = false;
    try {
        (void)view.Column(stranger);
    } catch (const Exception& e) {
        refused = e.Message().find("Stranger") != std::string::npos;
    }
    EXPECT_TRUE(refused);
}
