// The data grid's model on its own, with no view and no widget: the rows and
// texts of the records it is given, the columns' alignment and captions,
// and what it tells a view when the records change.

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "GridTables.h"
#include "UDataGridModel.h"
#include "UException.h"

using namespace tv;
using namespace tvtest;

namespace {

// Three goods, ordered by name: Арбуз 100, Вишня 300, Груша 200.
struct TGoodsModel {
    TFaultEnv Env;
    TGoodsTable Table{&Env};
    std::unique_ptr<TDataGridModel> Model;

    TGoodsModel()
    {
        Table.Open(true);
        Table.Add("200", "Груша", 150);
        Table.Add("100", "Арбуз", 120);
        Table.Add("300", "Вишня", 130);
        Table.SetIndex(Table.IndName.get());
        Table.First();
        Model = std::make_unique<TDataGridModel>(
            &Table, std::vector<TDataGridColumn>{
                        MakeDataGridColumn(TGoodsTable::fCode, TAlignment::taLeftJustify, 60,
                                           "Код", Table.IndCode.get(), true),
                        MakeDataGridColumn(TGoodsTable::fName, TAlignment::taLeftJustify, 200,
                                           "Название", Table.IndName.get(), true),
                        MakeDataGridColumn(TGoodsTable::fCost, TAlignment::taRightJustify, 80,
                                           "Цена", Table.IndCost.get(), false),
                        MakeDataGridColumn(TGoodsTable::fPCount, TAlignment::taCenter, 50,
                                           "Уп", nullptr, false)});
    }

    QString Text(int row, int column) const
    {
        return Model->data(Model->index(row, column)).toString();
    }
    // The names of all rows, joined by "|".
    QString Names() const
    {
        QStringList names;
        for (int row = 0; row < Model->rowCount(); ++row)
            names << Text(row, 1);
        return names.join('|');
    }
};

} // namespace

class TestQDataGridModel : public QObject {
    Q_OBJECT
private slots:
    void rowsFollowTheRecordsGiven_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("codes");  // of the first and last row

        QTest::newRow("never set: one blank row") << -1 << -1 << 1 << "" << "|";
        QTest::newRow("the whole table") << 0 << 3 << 3 << "Арбуз|Вишня|Груша" << "100|200";
        QTest::newRow("a run in the middle") << 1 << 1 << 1 << "Вишня" << "300|300";
        QTest::newRow("a run at the end") << 1 << 2 << 2 << "Вишня|Груша" << "300|200";
        QTest::newRow("no records: one blank row") << 2 << 0 << 1 << "" << "|";
    }
    void rowsFollowTheRecordsGiven()
    {
        QFETCH(int, first);
        QFETCH(int, count);
        QFETCH(int, rows);
        QFETCH(QString, names);
        QFETCH(QString, codes);
        TGoodsModel m;
        if (count >= 0)
            m.Model->SetRecords(first, count);
        QCOMPARE(m.Model->rowCount(), rows);
        QCOMPARE(m.Model->columnCount(), 4);
        QCOMPARE(m.Names(), names);
        QCOMPARE(m.Text(0, 0) + "|" + m.Text(rows - 1, 0), codes);
        QCOMPARE(QString::fromStdString(m.Model->CellText(0, 1)), m.Text(0, 1));
        // A tree view's children: none.
        QCOMPARE(m.Model->rowCount(m.Model->index(0, 0)), 0);
        QCOMPARE(m.Model->columnCount(m.Model->index(0, 0)), 0);
    }

    void columnsKeepTheirAlignmentAndCaption_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("caption");

        QTest::newRow("left") << 0 << int(Qt::AlignLeft) << "Код";
        QTest::newRow("left, second") << 1 << int(Qt::AlignLeft) << "Название";
        QTest::newRow("right") << 2 << int(Qt::AlignRight) << "Цена";
        QTest::newRow("centre") << 3 << int(Qt::AlignHCenter) << "Уп";
    }
    void columnsKeepTheirAlignmentAndCaption()
    {
        QFETCH(int, column);
        QFETCH(int, alignment);
        QFETCH(QString, caption);
        TGoodsModel m;
        m.Model->SetRecords(0, 3);
        const int expected = alignment | Qt::AlignVCenter;
        for (int row = 0; row < 3; ++row)
            QCOMPARE(m.Model->data(m.Model->index(row, column), Qt::TextAlignmentRole)
                         .value<Qt::Alignment>()
                         .toInt(),
                     expected);
        QCOMPARE(m.Model->headerData(column, Qt::Horizontal).toString(), caption);
        QCOMPARE(m.Model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole)
                     .value<Qt::Alignment>()
                     .toInt(),
                 expected);
        // Only captions across the top; rows have none.
        QVERIFY(!m.Model->headerData(column, Qt::Vertical).isValid());
        QVERIFY(!m.Model->data(m.Model->index(0, column), Qt::EditRole).isValid());
    }

    void outOfRangeColumnsHaveNoHeaderAndRaise()
    {
        TGoodsModel m;
        m.Model->SetRecords(0, 3);
        QVERIFY(!m.Model->headerData(-1, Qt::Horizontal).isValid());
        QVERIFY(!m.Model->headerData(4, Qt::Horizontal).isValid());
        QVERIFY(!m.Model->data(QModelIndex()).isValid());
        QVERIFY_THROWS_EXCEPTION(ERangeError, m.Model->CellText(0, 4));
        QVERIFY_THROWS_EXCEPTION(ERangeError, m.Model->CellText(0, -1));
        QVERIFY_THROWS_EXCEPTION(ERangeError, m.Model->SetCaption(4, "x"));
    }

    // What a view hears when it is given other records: rows inserted or
    // removed at the end, and every shown text changed.
    void newRecordsTellTheView_data()
    {
        QTest::addColumn<int>("before");  // records shown first
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("inserted");  // rows; -1: no signal
        QTest::addColumn<int>("removed");

        QTest::newRow("grows from blank") << 0 << 3 << 1 << -1;
        QTest::newRow("grows") << 1 << 3 << 1 << -1;
        QTest::newRow("shrinks") << 3 << 1 << -1 << 1;
        QTest::newRow("shrinks to blank") << 3 << 0 << -1 << 1;
        QTest::newRow("same count") << 3 << 3 << -1 << -1;
        QTest::newRow("blank stays") << 0 << 0 << -1 << -1;
    }
    void newRecordsTellTheView()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(int, inserted);
        QFETCH(int, removed);
        TGoodsModel m;
        m.Model->SetRecords(0, before);
        QSignalSpy ins(m.Model.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy rem(m.Model.get(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(m.Model.get(), &QAbstractItemModel::dataChanged);
        m.Model->SetRecords(0, after);

        const int rows = std::max(after, 1);
        QCOMPARE(m.Model->rowCount(), rows);
        QCOMPARE(ins.size(), inserted < 0 ? 0 : 1);
        if (inserted >= 0) {
            QCOMPARE(ins[0][1].toInt(), inserted);
            QCOMPARE(ins[0][2].toInt(), rows - 1);
        }
        QCOMPARE(rem.size(), removed < 0 ? 0 : 1);
        if (removed >= 0) {
            QCOMPARE(rem[0][1].toInt(), removed);
            QCOMPARE(rem[0][2].toInt(), std::max(before, 1) - 1);
        }
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), m.Model->index(0, 0));
        QCOMPARE(changed[0][1].toModelIndex(), m.Model->index(rows - 1, 3));
    }

    // The model holds no copy: an edited record, a new order or records
    // deleted behind its back show at once, deleted ones as blank rows.
    void textsComeFromTheTableWhenAsked()
    {
        TGoodsModel m;
        m.Model->SetRecords(0, 3);
        m.Table.SetRecNo(1);
        m.Table.Edit();
        m.Table.Code.SetText("999");
        m.Table.Post();
        QCOMPARE(m.Text(1, 0), QString("999"));

        m.Table.SetIndex(m.Table.IndCode.get());
        m.Model->SetRecords(0, 3);
        QCOMPARE(m.Names(), QString("Арбуз|Груша|Вишня"));

        m.Table.SetRecNo(2);
        m.Table.Delete();
        QCOMPARE(m.Names(), QString("Арбуз|Груша|"));
        m.Model->SetRecords(0, m.Table.RecordCount());
        QCOMPARE(m.Names(), QString("Арбуз|Груша"));
    }

    void aCaptionTellsTheViewOnlyWhenItChanges()
    {
        TGoodsModel m;
        QSignalSpy spy(m.Model.get(), &QAbstractItemModel::headerDataChanged);
        m.Model->SetCaption(1, "Название");
        QCOMPARE(spy.size(), 0);
        m.Model->SetCaption(1, "Товар");
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][1].toInt(), 1);
        QCOMPARE(spy[0][2].toInt(), 1);
        QCOMPARE(m.Model->headerData(1, Qt::Horizontal).toString(), QString("Товар"));
    }
};

QTEST_GUILESS_MAIN(TestQDataGridModel)
#include "TestQDataGridModel.moc"
