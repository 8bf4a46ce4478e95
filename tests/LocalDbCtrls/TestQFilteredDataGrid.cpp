#include <QApplication>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "GridTables.h"
#include "UException.h"
#include "UFilteredDataGrid.h"

using namespace tv;
using namespace tvtest;

namespace {

struct TMove {
    int32_t Goods;
    int Day;  // of January 2026
};

TDateTime Day(int day)
{
    return EncodeDate(2026, 1, day);
}

// Movements shown as the main window shows those of one goods item.
struct TMovesGrid {
    TFaultEnv Env;
    TMovesTable Table{&Env};
    std::unique_ptr<TFilteredDataGrid> Grid;
    int Selections = 0;

    explicit TMovesGrid(const std::vector<TMove>& moves)
    {
        Table.Open(true);
        for (const TMove& m : moves)
            Table.Add(m.Goods, Day(m.Day), static_cast<uint32_t>(m.Day) * 100);
        Grid = std::make_unique<TFilteredDataGrid>(
            nullptr,
            std::vector<TDataGridColumn>{
                MakeDataGridColumn(TMovesTable::fMoveDate, TAlignment::taCenter, 70, "Дата", nullptr, false),
                MakeDataGridColumn(TMovesTable::fWeight, TAlignment::taRightJustify, 60, "Кол", nullptr, false)},
            &Table);
        Grid->resize(250, 200);
        QObject::connect(Grid.get(), &TDataGrid::OnSelectCell,
                         [this](int, int, bool&) { ++Selections; });
    }

    void Filter(int32_t goods, int lowDay, int32_t highGoods, int highDay)
    {
        Selections = 0;
        Grid->SetFilter(Table.IndGoods.get(), {goods, TVariant::DateTime(Day(lowDay))},
                        {highGoods, TVariant::DateTime(Day(highDay))});
    }
    // The main window's range: every movement of one goods item.
    void FilterGoods(int32_t goods)
    {
        Selections = 0;
        const TDateTime first = EncodeDate(1, 1, 1);
        Grid->SetFilter(Table.IndGoods.get(), {goods, TVariant::DateTime(first)},
                        {goods + 1, TVariant::DateTime(first)});
    }
};

} // namespace

Q_DECLARE_METATYPE(std::vector<TMove>)

class TestQFilteredDataGrid : public QObject {
    Q_OBJECT

private slots:
    void keyRanges_data()
    {
        QTest::addColumn<std::vector<TMove>>("moves");
        QTest::addColumn<int>("goods");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        const std::vector<TMove> middle = {{1, 1}, {1, 2}, {2, 3}, {2, 4}, {2, 5}, {3, 6}};
        QTest::newRow("table without records") << std::vector<TMove>{} << 2 << 0 << 0;
        QTest::newRow("all keys below the low key") << std::vector<TMove>{{1, 1}, {1, 2}} << 2 << 0 << 0;
        QTest::newRow("all keys at or above the high key")
            << std::vector<TMove>{{3, 1}, {4, 2}} << 2 << 0 << 0;
        QTest::newRow("keys on both sides, none inside")
            << std::vector<TMove>{{1, 1}, {3, 2}} << 2 << 0 << 0;
        QTest::newRow("range in the middle") << middle << 2 << 2 << 3;
        QTest::newRow("range reaching the last record")
            << std::vector<TMove>{{1, 1}, {2, 2}, {2, 3}} << 2 << 1 << 2;
        QTest::newRow("range of the first record only")
            << std::vector<TMove>{{2, 9}, {3, 2}, {3, 3}} << 2 << 0 << 1;
        QTest::newRow("the whole table") << std::vector<TMove>{{2, 5}, {2, 1}} << 2 << 0 << 2;
    }
    void keyRanges()
    {
        QFETCH(std::vector<TMove>, moves);
        QFETCH(int, goods);
        QFETCH(int, start);
        QFETCH(int, count);
        TMovesGrid g(moves);
        g.FilterGoods(goods);
        QCOMPARE(g.Grid->FilterStart(), start);
        QCOMPARE(g.Grid->FilterCount(), count);
        QCOMPARE(g.Selections, 1);
        if (count == 0) {
            QCOMPARE(g.Grid->RowCount(), 2);
            QCOMPARE(g.Grid->Row(), 1);
            QCOMPARE(g.Grid->GetCellText(0, 1), std::string());
            // The blank row does not move the table.
            const int at = g.Table.RecordCount() > 0 ? g.Table.GetRecNo() : 0;
            g.Grid->GoToRow(1);
            QCOMPARE(g.Table.RecordCount() > 0 ? g.Table.GetRecNo() : 0, at);
            return;
        }
        QCOMPARE(g.Grid->RowCount(), count + 1);
        QCOMPARE(g.Grid->Row(), count);  // the latest movement
        QCOMPARE(g.Table.GetRecNo(), start + count - 1);
        QCOMPARE(g.Table.GoodsID.GetValue(), goods);
        for (int row = 1; row <= count; ++row)
            QCOMPARE(g.Grid->GetCellText(0, row), g.Table.GetElemText(start + row - 1, TMovesTable::fMoveDate));
    }

    void boundsByEqualKeys()
    {
        TMovesGrid g({{2, 3}, {2, 5}, {2, 6}, {2, 8}, {2, 9}});
        g.Filter(2, 5, 2, 8);  // a key equal to the low key is in, one equal to the high key out
        QCOMPARE(g.Grid->FilterStart(), 1);
        QCOMPARE(g.Grid->FilterCount(), 2);
        QCOMPARE(g.Table.MoveDate.GetValue(), Day(6));
        g.Filter(2, 4, 2, 5);  // only the high key equals a record
        QCOMPARE(g.Grid->FilterCount(), 0);
        g.Filter(2, 9, 2, 10);
        QCOMPARE(g.Grid->FilterStart(), 4);
        QCOMPARE(g.Grid->FilterCount(), 1);
    }

    void everyNewRangeSelectsOnce()
    {
        TMovesGrid g({{1, 1}, {2, 2}, {2, 3}, {3, 4}, {3, 5}});
        g.FilterGoods(2);
        QCOMPARE(g.Selections, 1);
        // The same row again, and a range whose last row has the same number.
        g.FilterGoods(2);
        QCOMPARE(g.Selections, 1);
        g.FilterGoods(3);
        QCOMPARE(g.Selections, 1);
        QCOMPARE(g.Table.GetRecNo(), 4);
        // Moving within the range moves the table to the record of the row.
        QTest::keyClick(g.Grid.get(), Qt::Key_Up);
        QCOMPARE(g.Grid->Row(), 1);
        QCOMPARE(g.Table.GetRecNo(), 3);
        QTest::keyClick(g.Grid.get(), Qt::Key_Up);
        QCOMPARE(g.Grid->Row(), 1);
        // A range shorter than the current row.
        g.Table.SetRecNo(0);
        g.FilterGoods(1);
        QCOMPARE(g.Grid->RowCount(), 2);
        QCOMPARE(g.Selections, 1);
        QCOMPARE(g.Table.GetRecNo(), 0);
    }

    void rangeSortsTheTableByItsIndex()
    {
        // By date the goods 2 movements lie apart; by goods and date together.
        TMovesGrid g({{2, 1}, {3, 2}, {1, 3}, {2, 4}});
        g.Table.SetIndex(g.Table.IndDate.get());
        g.Table.SetRecNo(0);
        g.Grid->Reload();
        g.FilterGoods(2);
        QCOMPARE(g.Table.GetIndexName(), std::string("IndGoods"));
        QCOMPARE(g.Grid->FilterStart(), 1);
        QCOMPARE(g.Grid->FilterCount(), 2);
        QCOMPARE(g.Grid->GetCellText(0, 1), g.Table.GetElemText(1, TMovesTable::fMoveDate));
        QCOMPARE(g.Table.MoveDate.GetValue(), Day(4));
    }

    void rangeIsKeptUntilSetAgain()
    {
        TMovesGrid g({{1, 1}, {2, 2}, {3, 3}});
        g.FilterGoods(2);
        g.Table.Add(2, Day(4));
        g.Grid->Reload();
        QCOMPARE(g.Grid->FilterCount(), 1);
        g.FilterGoods(2);
        QCOMPARE(g.Grid->FilterCount(), 2);
        QCOMPARE(g.Table.MoveDate.GetValue(), Day(4));
    }

    void rowsOutsideTheRangeAreRefused()
    {
        TMovesGrid g({{1, 1}, {2, 2}, {2, 3}});
        g.FilterGoods(2);
        try {
            g.Grid->GoToRow(3);
            QFAIL("no assertion");
        } catch (const EAssertionFailed& e) {
            QCOMPARE(QString::fromStdString(e.Text()), QString("aRow out of filter"));
        }
        // A single-field index takes no key values.
        try {
            g.Grid->SetFilter(g.Table.IndDate.get(), {TVariant::DateTime(Day(1))}, {TVariant::DateTime(Day(9))});
            QFAIL("no assertion");
        } catch (const EAssertionFailed& e) {
            QCOMPARE(QString::fromStdString(e.Text()), QString("AIndex param must be a composite index"));
        }
        QCOMPARE(g.Table.GetIndexName(), std::string("IndGoods"));
        // Too few key values.
        QVERIFY_THROWS_EXCEPTION(ERangeError,
                                 g.Grid->SetFilter(g.Table.IndGoods.get(), {int32_t(2)}, {int32_t(3)}));
    }
};

QTEST_MAIN(TestQFilteredDataGrid)
#include "TestQFilteredDataGrid.moc"
