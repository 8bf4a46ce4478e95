#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "UBaseFld.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UFields.h"
#include "UFile.h"
#include "UIndex.h"
#include "UMoneyFld.h"
#include "UTable.h"

using namespace tv;

namespace {

const char* const Path = "goods.dat";

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EFileError& e) {
        return e.Text();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// A table made as the stock book makes its own: fields and named indexes
// built in the constructor, the indexes added on every Open.
class TGoods : public TTable {
public:
    TIntegerField Id;
    TStringField Name{40};
    TMoneyField Price;
    TFields Set{{&Id, &Name, &Price}};
    std::unique_ptr<TIndex> ById = TIndex::CreateNamed(&Set, "ById", &Id);
    std::unique_ptr<TIndex> ByName = TIndex::CreateNamed(&Set, "поИмени", &Name);
    std::unique_ptr<TIndex> ByNamePrice =
        TIndex::CreateCompositeNamed(&Set, "ByNamePrice", {&Name, &Price});
    bool AddIndexesOnOpen = true;

    explicit TGoods(TFileEnv* env)
    {
        Id.SetName("Id");
        Id.SetPrimaryKey(true);
        Name.SetName("Name");
        Price.SetName("Price");
        SetEnv(env);
        SetFields(&Set);
        SetFileName(Path);
    }

    // The fields die before the base classes close the file.
    ~TGoods() override
    {
        if (IsOpen())
            Close();
    }

    void Open(bool CreateIfMissing) override
    {
        TTable::Open(CreateIfMissing);
        if (AddIndexesOnOpen) {
            AddIndex(ById.get());
            AddIndex(ByName.get());
            AddIndex(ByNamePrice.get());
        }
    }

    void Add(const std::string& name, uint32_t price)
    {
        Insert();
        Name.SetText(name);
        Price.SetValue(price);
        Post();
    }

    // The records in the current order as id:name:price.
    std::string Rows()
    {
        std::string s;
        for (int32_t i = 0; i < RecordCount(); ++i)
            s += GetElemText(i, 0) + ":" + GetElemText(i, 1) + ":" + GetElemText(i, 2) + " ";
        return s;
    }

    // The stored records, whatever is being typed.
    std::string StoredRows()
    {
        std::string s;
        for (int32_t i = 0; i < RecordCount(); ++i)
            s += TDatArr::GetElemText(i, 0) + ":" + TDatArr::GetElemText(i, 1) + " ";
        return s;
    }

    std::string Current() { return std::to_string(Id.GetValue()) + ":" + Name.GetText(); }
};

// The start file: Pear 1, Apple 2, Plum 3 in file order.
void MakeStartFile(TFaultEnv& env)
{
    TGoods t(&env);
    t.Open(true);
    t.Add("Pear", 250);
    t.Add("Apple", 100);
    t.Add("Plum", 300);
}

} // namespace

TEST(TTable, StateRules)
{
    const std::string closedT = "Недопустимая операция при закрытой таблице";
    const std::string editing = "Таблица уже находится в режиме редактирования";
    const std::string notEditing = "Таблица не переведена в режим редактирования";
    const std::string notBrowse = "Таблица не переведена в режим просмотра";
    const std::string emptyT = "Недопустимая операция при пустой таблице";
    const std::string closedF = "Недопустимая операция при закрытом файле";
    const std::string openedF = "Недопустимая операция при открытом файле";
    enum Start { Closed, Browse, EmptyBrowse, Editing, Inserting };
    const char* startNames[] = {"closed", "browse", "browse, empty", "edit", "insert"};

    struct Cell {
        std::string message;  // empty: allowed
        TTableState after;
    };
    struct Row {
        const char* op;
        std::function<void(TGoods&)> run;
        Cell cells[5];
    };
    const Cell stays[5] = {{"", tsClosed}, {"", tsBrowse}, {"", tsBrowse}, {"", tsEdit}, {"", tsInsert}};
    auto allowedIn = [&](std::initializer_list<int> states, const std::string& otherwise, Row row) {
        for (int s = 0; s < 5; ++s) {
            bool ok = false;
            for (int a : states) ok = ok || a == s;
            row.cells[s] = ok ? stays[s] : Cell{otherwise, stays[s].after};
        }
        return row;
    };
    std::vector<Row> rows = {
        allowedIn({Browse, EmptyBrowse, Editing, Inserting}, closedT, {"RecordCount", [](TGoods& t) { t.RecordCount(); }, {}}),
        allowedIn({Browse, EmptyBrowse, Editing, Inserting}, closedT, {"GetRecNo", [](TGoods& t) { t.GetRecNo(); }, {}}),
        {"SetRecNo", [](TGoods& t) { t.SetRecNo(0); },
         {{closedT, tsClosed}, {"", tsBrowse}, {"", tsBrowse}, {editing, tsEdit}, {editing, tsInsert}}},
        {"Insert", [](TGoods& t) { t.Insert(); },
         {{closedT, tsClosed}, {"", tsInsert}, {"", tsInsert}, {editing, tsEdit}, {editing, tsInsert}}},
        {"Edit", [](TGoods& t) { t.Edit(); },
         {{closedT, tsClosed}, {"", tsEdit}, {emptyT, tsBrowse}, {editing, tsEdit}, {editing, tsInsert}}},
        {"Post", [](TGoods& t) { t.Post(); },
         {{notEditing, tsClosed}, {notEditing, tsBrowse}, {notEditing, tsBrowse}, {"", tsBrowse}, {"", tsBrowse}}},
        {"Cancel", [](TGoods& t) { t.Cancel(); },
         {{notEditing, tsClosed}, {notEditing, tsBrowse}, {notEditing, tsBrowse}, {"", tsBrowse}, {"", tsBrowse}}},
        {"Delete", [](TGoods& t) { t.Delete(); },
         {{notBrowse, tsClosed}, {"", tsBrowse}, {emptyT, tsBrowse}, {notBrowse, tsEdit}, {notBrowse, tsInsert}}},
        allowedIn({Browse, EmptyBrowse}, notBrowse, {"Empty", [](TGoods& t) { t.Empty(); }, {}}),
        allowedIn({Browse, EmptyBrowse}, notBrowse, {"First", [](TGoods& t) { t.First(); }, {}}),
        allowedIn({Browse, EmptyBrowse}, notBrowse, {"Next", [](TGoods& t) { t.Next(); }, {}}),
        allowedIn({Browse, EmptyBrowse}, notBrowse, {"SetIndex", [](TGoods& t) { t.SetIndex(nullptr); }, {}}),
        allowedIn({Browse, EmptyBrowse}, notBrowse, {"SetIndexName", [](TGoods& t) { t.SetIndexName("BYID"); }, {}}),
        {"Close", [](TGoods& t) { t.Close(); },
         {{closedF, tsClosed}, {"", tsClosed}, {"", tsClosed}, {"", tsClosed}, {"", tsClosed}}},
        {"Open", [](TGoods& t) { t.Open(true); },
         {{"", tsBrowse}, {openedF, tsBrowse}, {openedF, tsBrowse}, {openedF, tsEdit}, {openedF, tsInsert}}},
    };

    for (const Row& row : rows) {
        for (int s = 0; s < 5; ++s) {
            TFaultEnv env;
            if (s != EmptyBrowse)
                MakeStartFile(env);
            TGoods t(&env);
            if (s != Closed)
                t.Open(true);
            if (s == Editing)
                t.Edit();
            if (s == Inserting)
                t.Insert();
            const std::string file = env.Contents(Path);
            const std::string what = std::string(row.op) + " in " + startNames[s];
            EXPECT_EQ(MessageOf([&] { row.run(t); }), row.cells[s].message) << what;
            EXPECT_EQ(t.GetState(), row.cells[s].after) << what;
            if (!row.cells[s].message.empty()) {
                EXPECT_EQ(env.Contents(Path), file) << what << ": a refused operation changed the file";
            }
        }
    }
}

TEST(TTable, IndexAndSearchMessages)
{
    TFaultEnv env;
    MakeStartFile(env);
    TGoods t(&env);
    const std::string closedF = "Недопустимая операция при закрытом файле";
    EXPECT_EQ(MessageOf([&] { t.FindText("A"); }), closedF);
    EXPECT_EQ(MessageOf([&] { t.FindKey({TVariant("A"), TVariant(uint32_t(1))}); }), closedF);
    EXPECT_EQ(MessageOf([&] { t.GotoKey(); }), closedF);
    t.Open(false);

    auto unnamed = TIndex::Create(&t.Set, &t.Price);
    auto sameName = TIndex::CreateNamed(&t.Set, "ПОИМЕНИ", &t.Price);
    auto notAdded = TIndex::CreateNamed(&t.Set, "ByPrice", &t.Price);
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"Не задан индексный объект", [&] { t.GotoKey(); }},
        {"Не задан индексный объект", [&] { t.FindKey({TVariant("A"), TVariant(uint32_t(1))}); }},
        {"Не задан индексный объект", [&] { t.FindText("A"); }},
        {"Не определен индексный объект", [&] { t.AddIndex(nullptr); }},
        {"Не задано имя индекса", [&] { t.AddIndex(unnamed.get()); }},
        {"Совпадение имен индексов", [&] { t.AddIndex(sameName.get()); }},
        {"Совпадение имен индексов", [&] { t.AddIndex(t.ById.get()); }},
        {"Индекс не найден в массиве индексов", [&] { t.SetIndex(notAdded.get()); }},
        {"Индекс не найден в массиве индексов", [&] { t.SetIndexName("ByPrice"); }},
        {"Неправильное значение номера записи", [&] { t.SetRecNo(-1); }},
        {"Неправильное значение номера записи", [&] { t.SetRecNo(3); }},
        {"Поиск по тексту невозможен для составного индекса",
         [&] { t.SetIndexName("ByNamePrice"); t.FindText("Apple"); }},
    };
    for (const auto& [message, action] : cases) EXPECT_EQ(MessageOf(action), message) << message;
    EXPECT_EQ(t.GetIndexName(), "ByNamePrice");
    EXPECT_EQ(t.Current(), "1:Pear") << "a refused search does not move";
}

TEST(TTable, OpenNavigateAndLoopInIndexOrder)
{
    TFaultEnv env;
    TGoods empty(&env);
    empty.Open(true);
    EXPECT_EQ(empty.GetState(), tsBrowse);
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_TRUE(empty.Eof());
    empty.Close();

    MakeStartFile(env);
    TGoods t(&env);
    t.Open(false);
    EXPECT_EQ(t.Rows(), "1:Pear:2.50 2:Apple:1.00 3:Plum:3.00 ") << "file order before an index";
    EXPECT_EQ(t.Current(), "1:Pear");
    t.Next();
    t.Next();
    EXPECT_EQ(t.Current(), "3:Plum");
    EXPECT_FALSE(t.Eof());
    t.Next();
    EXPECT_EQ(t.Current(), "3:Plum");
    EXPECT_TRUE(t.Eof());

    t.SetRecNo(0);
    t.SetIndexName("ПОИМЕНИ");
    EXPECT_EQ(t.GetIndexName(), "поИмени") << "the index's own spelling";
    EXPECT_EQ(t.GetRecNo(), 1) << "Pear stays current at its sorted place";
    EXPECT_EQ(t.Current(), "1:Pear");
    std::string seen;
    for (t.First(); !t.Eof(); t.Next()) seen += t.Name.GetText() + " ";
    EXPECT_EQ(seen, "Apple Pear Plum ");

    t.SetIndex(t.ById.get());
    EXPECT_EQ(t.Rows(), "1:Pear:2.50 2:Apple:1.00 3:Plum:3.00 ");
    t.SetIndexName("");
    EXPECT_EQ(t.GetIndexName(), "");

    t.Close();
    t.AddIndexesOnOpen = false;
    t.Open(false);
    EXPECT_EQ(MessageOf([&] { t.SetIndexName("ById"); }), "Индекс не найден в массиве индексов")
        << "Close empties the index list";
    t.AddIndex(t.ById.get());
    t.SetIndexName("ById");
    EXPECT_EQ(t.GetIndexName(), "ById");
}

// Which operations set the end flag, which clear it and which leave it.
TEST(TTable, EndFlagSetClearedOrLeftByEachOperation)
{
    auto atEnd = [](TGoods& t) {
        t.SetRecNo(2);
        t.Next();
    };
    struct Case {
        const char* name;
        bool empty;  // a table without records
        std::function<void(TGoods&)> prepare;
        bool before;
        std::function<void(TGoods&)> run;
        bool after;
    };
    const std::vector<Case> cases = {
        {"Next at the last record sets it", false, [](TGoods& t) { t.SetRecNo(2); }, false,
         [](TGoods& t) { t.Next(); }, true},
        {"Next that moves clears it", false, [&](TGoods& t) { atEnd(t); t.SetRecNo(0); }, true,
         [](TGoods& t) { t.Next(); }, false},
        {"SetRecNo leaves it", false, atEnd, true, [](TGoods& t) { t.SetRecNo(0); }, true},
        {"First clears it", false, atEnd, true, [](TGoods& t) { t.First(); }, false},
        {"SetIndexName leaves it", false, atEnd, true, [](TGoods& t) { t.SetIndexName("поИмени"); }, true},
        {"a search on a table with records clears it", false,
         [&](TGoods& t) { atEnd(t); t.SetIndexName("поИмени"); }, true, [](TGoods& t) { t.FindText("Zebra"); },
         false},
        {"Insert clears it", false, atEnd, true, [](TGoods& t) { t.Insert(); }, false},
        {"Edit clears it", false, atEnd, true, [](TGoods& t) { t.Edit(); }, false},
        {"Cancel on a table with records leaves it", false, [](TGoods& t) { t.Insert(); }, false,
         [](TGoods& t) { t.Cancel(); }, false},
        {"Cancel on an empty table sets it", true, [](TGoods& t) { t.Insert(); }, false,
         [](TGoods& t) { t.Cancel(); }, true},
        {"Delete before the last leaves it clear", false, [](TGoods& t) { t.SetRecNo(0); }, false,
         [](TGoods& t) { t.Delete(); }, false},
        {"Delete before the last leaves it set", false, [&](TGoods& t) { atEnd(t); t.SetRecNo(0); }, true,
         [](TGoods& t) { t.Delete(); }, true},
        {"Delete of the last record sets it", false, [](TGoods& t) { t.SetRecNo(2); }, false,
         [](TGoods& t) { t.Delete(); }, true},
        {"Empty sets it", false, [](TGoods&) {}, false, [](TGoods& t) { t.Empty(); }, true},
        {"Close clears it", false, atEnd, true, [](TGoods& t) { t.Close(); }, false},
    };
    for (const Case& c : cases) {
        TFaultEnv env;
        if (!c.empty)
            MakeStartFile(env);
        TGoods t(&env);
        t.Open(true);
        c.prepare(t);
        ASSERT_EQ(t.Eof(), c.before) << c.name;
        c.run(t);
        EXPECT_EQ(t.Eof(), c.after) << c.name;
    }
}

TEST(TTable, SearchesByKeyAndText)
{
    TFaultEnv env;
    MakeStartFile(env);
    TGoods t(&env);
    t.Open(false);
    t.Add("Apricot", 50);
    t.Add("Apple", 90);

    struct Case {
        const char* index;
        std::function<void()> search;
        std::string current;
        bool eof;
    };
    const std::vector<Case> cases = {
        {"поИмени", [&] { t.FindText("Ap"); }, "2:Apple", false},
        {"поИмени", [&] { t.FindText("Apr"); }, "4:Apricot", false},
        {"поИмени", [&] { t.FindText("Pl"); }, "3:Plum", false},
        {"поИмени", [&] { t.FindText("Zebra"); }, "3:Plum", false},
        {"поИмени", [&] { t.FindText(""); }, "2:Apple", false},
        {"ById", [&] { t.FindText("3"); }, "3:Plum", false},
        {"ByNamePrice", [&] { t.FindKey({TVariant("Apple"), TVariant(uint32_t(95))}); }, "2:Apple", false},
        {"ByNamePrice", [&] { t.FindKey({TVariant("Apple"), TVariant(uint32_t(0))}); }, "5:Apple", false},
        {"ByNamePrice", [&] { t.FindKey({TVariant("Apple"), TVariant(uint32_t(100))}); }, "2:Apple", false},
    };
    for (const Case& c : cases) {
        t.SetIndexName(c.index);
        t.SetRecNo(t.RecordCount() - 1);
        c.search();
        EXPECT_EQ(t.Current(), c.current) << c.index;
        EXPECT_EQ(t.Eof(), c.eof) << c.index;
    }
    EXPECT_EQ(MessageOf([&] { t.FindKey({TVariant("Apple")}); }), "Range check error");
    EXPECT_EQ(MessageOf([&] { t.FindKey({TVariant(1), TVariant(uint32_t(1))}); }),
              "Тип варианта не является String");

    t.Empty();
    t.SetIndexName("поИмени");
    t.FindText("A");
    EXPECT_TRUE(t.Eof()) << "a search on an empty table sets Eof";
}

// A search moves to another record: while a record is edited or inserted it
// is refused, so that it neither loads the found record over the typed
// values nor makes the following Post write that record a second time.
TEST(TTable, SearchesWhileEditingOrInsertingAreRefusedAndKeepTheTypedValues)
{
    struct Search {
        const char* name;
        const char* index;
        std::function<void(TGoods&)> run;
    };
    const std::vector<Search> searches = {
        {"GotoKey", "поИмени", [](TGoods& t) { t.GetIndex()->SetKeyText("Apple"); t.GotoKey(); }},
        {"FindKey", "ByNamePrice", [](TGoods& t) { t.FindKey({TVariant("Apple"), TVariant(uint32_t(100))}); }},
        {"FindText", "поИмени", [](TGoods& t) { t.FindText("Apple"); }},
        {"FindText by key", "ById", [](TGoods& t) { t.FindText("2"); }},
    };
    for (const Search& s : searches) {
        for (TTableState state : {tsEdit, tsInsert}) {
            const std::string what = std::string(s.name) + (state == tsEdit ? " while editing" : " while inserting");
            TFaultEnv env;
            MakeStartFile(env);
            TGoods t(&env);
            t.Open(false);
            t.SetIndexName(s.index);
            t.SetRecNo(t.RecordCount() - 1);  // Plum in each order
            if (state == tsEdit)
                t.Edit();
            else
                t.Insert();
            t.Name.SetText("Typed");
            t.Price.SetValue(7);
            const int32_t recNo = t.GetRecNo();
            const std::string typed = t.Current();
            const std::string file = env.Contents(Path);

            EXPECT_EQ(MessageOf([&] { s.run(t); }), "Таблица уже находится в режиме редактирования") << what;
            EXPECT_EQ(t.GetState(), state) << what;
            EXPECT_EQ(t.Current(), typed) << what << ": the typed values were dropped";
            EXPECT_EQ(t.Price.GetValue(), 7u) << what;
            EXPECT_EQ(t.GetRecNo(), recNo) << what;
            EXPECT_EQ(env.Contents(Path), file) << what;

            t.Post();
            t.SetIndexName("ById");
            EXPECT_EQ(t.Rows(), state == tsEdit ? "1:Pear:2.50 2:Apple:1.00 3:Typed:0.07 "
                                                : "1:Pear:2.50 2:Apple:1.00 3:Plum:3.00 4:Typed:0.07 ")
                << what;
        }
    }
}

TEST(TTable, InsertEditCancelDeleteAndGridText)
{
    TFaultEnv env;
    MakeStartFile(env);
    TGoods t(&env);
    t.Open(false);
    t.SetIndexName("поИмени");
    t.First();
    t.Add("Pear", 1);
    EXPECT_EQ(t.Current(), "4:Pear");
    EXPECT_EQ(t.GetRecNo(), 2) << "after the equal key, current";
    EXPECT_EQ(t.Rows(), "2:Apple:1.00 1:Pear:2.50 4:Pear:0.01 3:Plum:3.00 ");

    t.SetRecNo(1);
    t.Insert();
    EXPECT_EQ(t.Id.GetValue(), 5);
    t.Name.SetText("Typed");
    EXPECT_EQ(t.GetElemText(4, 1), "Typed") << "the row being inserted comes after the last";
    EXPECT_EQ(t.GetElemText(1, 1), "Pear");
    t.Cancel();
    EXPECT_EQ(t.Current(), "1:Pear") << "Cancel goes back to the record that was current";
    t.Insert();
    EXPECT_EQ(t.Id.GetValue(), 5) << "a cancelled insert uses up no key";
    t.Cancel();

    t.Edit();
    t.Name.SetText("Banana");
    EXPECT_EQ(t.GetElemText(1, 1), "Banana") << "the row being edited shows the typed value";
    EXPECT_EQ(t.GetElemText(2, 1), "Pear");
    t.Post();
    EXPECT_EQ(t.Current(), "1:Banana");
    EXPECT_EQ(t.GetRecNo(), 1);
    EXPECT_EQ(MessageOf([&] { t.Name.SetText("x"); }), "Поле нельзя редактировать");

    t.Edit();
    t.Name.SetText("Zucchini");
    t.Close();
    t.Open(false);
    EXPECT_EQ(t.Rows(), "1:Banana:2.50 2:Apple:1.00 3:Plum:3.00 4:Pear:0.01 ")
        << "Close drops the edits, the file keeps the last Post";

    t.SetRecNo(3);
    t.Delete();
    EXPECT_EQ(t.Current(), "3:Plum") << "deleting the last makes the new last current";
    EXPECT_TRUE(t.Eof());
    t.SetRecNo(0);
    t.Delete();
    EXPECT_EQ(t.Current(), "2:Apple");
    EXPECT_EQ(t.GetRecNo(), 0);
    EXPECT_TRUE(t.Eof()) << "Delete of a record that is not the last leaves the flag";
    t.Delete();
    t.Delete();
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.Eof());

    t.Close();
    t.Open(false);
    EXPECT_EQ(t.RecordCount(), 0);
    t.Add("New", 1);
    EXPECT_EQ(t.Current(), "5:New");
}

// A failed write while posting leaves the table in its state with the typed
// values, and memory, file and the next start agree.
TEST(TTable, FailedPostOrEmptyKeepsTableAndFileAlike)
{
    struct Case {
        const char* name;
        std::function<void(TGoods&)> start;
        std::function<void(TGoods&)> finish;
        TTableState during;
    };
    const std::vector<Case> cases = {
        {"insert", [](TGoods& t) { t.Insert(); t.Name.SetText("Quince"); }, [](TGoods& t) { t.Post(); }, tsInsert},
        {"edit moving the record",
         [](TGoods& t) { t.SetRecNo(0); t.Edit(); t.Name.SetText("Zucchini"); }, [](TGoods& t) { t.Post(); }, tsEdit},
        {"delete", [](TGoods& t) { t.SetRecNo(1); }, [](TGoods& t) { t.Delete(); }, tsBrowse},
        {"empty", [](TGoods&) {}, [](TGoods& t) { t.Empty(); }, tsBrowse},
    };
    for (const Case& c : cases) {
        for (bool failSync : {false, true}) {
            for (int n = 1;; ++n) {
                TFaultEnv env;
                MakeStartFile(env);
                TGoods t(&env);
                t.Open(false);
                t.SetIndexName("поИмени");
                const std::string before = t.StoredRows();
                c.start(t);
                failSync ? env.FailSync(n) : env.FailWrite(n);
                std::string message = MessageOf([&] { c.finish(t); });
                if (message.empty())
                    break;
                env.ClearFaults();
                const std::string what = std::string(c.name) + (failSync ? " sync " : " write ") + std::to_string(n);
                EXPECT_EQ(message, "Ошибка записи в файл") << what;
                EXPECT_EQ(t.GetState(), c.during) << what;
                const std::string rows = t.StoredRows();
                if (rows != "") {
                    EXPECT_EQ(rows, before) << what;
                }
                if (c.during != tsBrowse) {
                    EXPECT_NE(t.Name.GetText(), "") << what << ": typed values kept";
                    t.Post();
                    EXPECT_EQ(t.GetState(), tsBrowse) << what;
                }
                const std::string inMemory = t.Rows();
                t.Close();
                t.Open(false);
                t.SetIndexName("поИмени");
                EXPECT_EQ(t.Rows(), inMemory) << what << ": the file differs from memory";
            }
        }
    }
}

// The key descriptor holds the largest key: the insert takes it, but the
// post cannot raise the next key value past it, and nothing is written.
TEST(TTable, PostAtTheTopOfTheKeyRangeFailsAndChangesNothing)
{
    TFaultEnv env;
    MakeStartFile(env);
    std::string bytes = env.Contents(Path);
    bytes.replace(32 + 32, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    env.SetContents(Path, bytes);

    TGoods t(&env);
    t.Open(false);
    t.SetIndexName("поИмени");
    const std::string before = t.StoredRows();
    t.Insert();
    EXPECT_EQ(t.Id.GetValue(), 2147483647);
    t.Name.SetText("Apricot");
    EXPECT_THROW(t.Post(), EIntOverflow);
    EXPECT_EQ(t.GetState(), tsInsert);
    EXPECT_EQ(t.StoredRows(), before);
    EXPECT_EQ(t.Id.GetNextKeyValue(), 2147483647);
    t.Cancel();
    t.Close();
    t.Open(false);
    EXPECT_EQ(t.Id.GetNextKeyValue(), 2147483647);
    EXPECT_EQ(t.Rows(), "1:Pear:2.50 2:Apple:1.00 3:Plum:3.00 ");
    t.Close();
    EXPECT_EQ(env.Contents(Path), bytes);
}

// Creating the missing file fails while its header is written: the table
// stays closed and takes the next Open.
TEST(TTable, OpenThatFailsToCreateTheFileLeavesTheTableClosed)
{
    for (bool failSync : {false, true}) {
        const std::string what = failSync ? "sync" : "write";
        TFaultEnv env;
        TGoods t(&env);
        failSync ? env.FailSync(1) : env.FailWrite(1);
        EXPECT_EQ(MessageOf([&] { t.Open(true); }), "Ошибка записи в файл") << what;
        EXPECT_EQ(t.GetState(), tsClosed) << what;
        EXPECT_FALSE(t.IsOpen()) << what;
        EXPECT_EQ(t.GetIndexName(), "") << what;
        env.ClearFaults();
        EXPECT_TRUE(env.Names().empty()) << what << ": no file is left behind";
        t.Open(true);
        EXPECT_EQ(t.RecordCount(), 0) << what;
        t.Add("Pear", 250);
        EXPECT_EQ(t.Current(), "1:Pear") << what;
    }
}
