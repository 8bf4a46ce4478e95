#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <memory>
#include <numeric>
#include <vector>

#include "GridTables.h"
#include "UDataGrid.h"

using namespace tv;
using namespace tvtest;

namespace {

struct TShownGrid {
    TFaultEnv Env;
    TGoodsTable Table{&Env};
    std::unique_ptr<TDataGrid> Grid;

    TShownGrid()
    {
        Table.Open(true);
        Table.Add("1", "Капуста");
        Table.Add("2", "Лук");
        Table.SetIndex(Table.IndName.get());
        Grid = std::make_unique<TDataGrid>(
            nullptr,
            std::vector<TDataGridColumn>{
                MakeDataGridColumn(TGoodsTable::fCode, TAlignment::taLeftJustify, 50, "Код", Table.IndCode.get(), true),
                MakeDataGridColumn(TGoodsTable::fName, TAlignment::taLeftJustify, 150, "Название", Table.IndName.get(), true),
                MakeDataGridColumn(TGoodsTable::fCost, TAlignment::taRightJustify, 60, "Цена", Table.IndCost.get(), false),
                MakeDataGridColumn(TGoodsTable::fPCount, TAlignment::taRightJustify, 40, "Уп", nullptr, false)},
            &Table);
        Grid->resize(420, 200);
        Grid->show();
        if (!QTest::qWaitForWindowExposed(Grid.get()))
            qFatal("grid not shown");
    }

    TGridHeader* Header() const { return Grid->Header(); }
    std::vector<int> Widths() const
    {
        std::vector<int> w;
        for (int i = 0; i < Header()->count(); ++i)
            w.push_back(Header()->sectionSize(i));
        return w;
    }
    int Border(int section) const
    {
        return Header()->sectionViewportPosition(section) + Header()->sectionSize(section);
    }
    void Mouse(QEvent::Type type, int x, Qt::MouseButtons buttons)
    {
        const QPointF at(x, Header()->height() / 2);
        QMouseEvent e(type, at, Header()->viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(Header()->viewport(), &e);
    }
};

int Sum(const std::vector<int>& w)
{
    return std::accumulate(w.begin(), w.end(), 0);
}

} // namespace

class TestQGridHeader : public QObject {
    Q_OBJECT

private slots:
    void columnsFillTheWidth()
    {
        TShownGrid g;
        QCOMPARE(Sum(g.Widths()), g.Grid->viewport()->width());
        QCOMPARE(g.Header()->geometry().left(), g.Grid->viewport()->geometry().left());
        QCOMPARE(g.Grid->verticalHeader()->width(), 11);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(g.Grid->columnWidth(i), g.Header()->sectionSize(i));
        // Rows of 18 pixels (more for a large font) plus a grid line; the
        // header covers one such row.
        QVERIFY(g.Grid->DefaultRowHeight() >= 18);
        QCOMPARE(g.Grid->visualRect(g.Grid->model()->index(1, 1)).height(), g.Grid->DefaultRowHeight());
        QCOMPARE(g.Grid->rowViewportPosition(1), g.Grid->DefaultRowHeight() + 1);
        QCOMPARE(g.Header()->height(), g.Grid->DefaultRowHeight() + 1);
    }

    // A caption stands 3 pixels in from the side it is aligned to and moves
    // one pixel right while its section is pressed.
    void captionInsets_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<bool>("right");
        QTest::newRow("left-aligned caption") << 1 << false;
        QTest::newRow("right-aligned caption") << 2 << true;
    }
    void captionInsets()
    {
        QFETCH(int, section);
        QFETCH(bool, right);
        TShownGrid g;
        const int left = g.Header()->sectionViewportPosition(section);
        const int last = left + g.Header()->sectionSize(section) - 1;
        // The caption's dark pixels between the section's borders: first and last column.
        auto extent = [&] {
            const QImage image = g.Header()->viewport()->grab().toImage();
            int first = -1, end = -1;
            for (int x = left + 1; x < last; ++x)
                for (int y = 2; y < image.height() - 2; ++y)
                    if (image.pixelColor(x, y).lightness() < 100) {
                        if (first < 0)
                            first = x;
                        end = x;
                    }
            return std::pair<int, int>(first, end);
        };
        const auto [first, end] = extent();
        QVERIFY(first > 0);
        const int inset = right ? last - end : first - left;
        QVERIFY2(inset >= 3 && inset <= 5, qPrintable(QString::number(inset)));
        const int x = (left + last) / 2;
        g.Mouse(QEvent::MouseButtonPress, x, Qt::LeftButton);
        const auto [pressedFirst, pressedEnd] = extent();
        g.Mouse(QEvent::MouseButtonRelease, x, Qt::NoButton);
        QCOMPARE(pressedFirst, first + 1);
        QCOMPARE(pressedEnd, end + 1);
        QCOMPARE(extent(), std::make_pair(first, end));
    }

    void borderDrag_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("left");   // expected change of the section
        QTest::newRow("widen the first column") << 0 << 30 << 30;
        QTest::newRow("narrow the second column") << 1 << -25 << -25;
        QTest::newRow("the neighbour keeps 12 pixels") << 0 << 1000 << 1;
        QTest::newRow("the column keeps 12 pixels") << 1 << -1000 << -1;
        QTest::newRow("the last border does not move") << 3 << -40 << 0;
    }
    void borderDrag()
    {
        QFETCH(int, section);
        QFETCH(int, dx);
        QFETCH(int, left);
        TShownGrid g;
        const std::vector<int> before = g.Widths();
        const int x = g.Border(section);
        g.Mouse(QEvent::MouseButtonPress, x, Qt::LeftButton);
        g.Mouse(QEvent::MouseMove, x + dx, Qt::LeftButton);
        g.Mouse(QEvent::MouseButtonRelease, x + dx, Qt::NoButton);
        QCoreApplication::processEvents();
        const std::vector<int> after = g.Widths();
        std::vector<int> expected = before;
        if (section + 1 < static_cast<int>(before.size())) {
            int change = left;
            if (left == 1)
                change = before[section + 1] - 12;
            else if (left == -1)
                change = 12 - before[section];
            expected[section] += change;
            expected[section + 1] -= change;
        }
        QCOMPARE(after, expected);
        QCOMPARE(Sum(after), Sum(before));
        // Pressing a border does not sort.
        QCOMPARE(g.Table.GetIndexName(), std::string("IndName"));
    }

    // Moves that arrive before the queued changes ran are measured against
    // the widths those changes will give.
    void movesFasterThanTheQueue()
    {
        TShownGrid g;
        const std::vector<int> before = g.Widths();
        const int x = g.Border(0);
        g.Mouse(QEvent::MouseButtonPress, x, Qt::LeftButton);
        g.Mouse(QEvent::MouseMove, x + 20, Qt::LeftButton);
        g.Mouse(QEvent::MouseMove, x + 40, Qt::LeftButton);
        g.Mouse(QEvent::MouseMove, x + 5000, Qt::LeftButton);
        QCOMPARE(g.Widths(), before);
        QCoreApplication::processEvents();
        QCOMPARE(g.Widths()[1], 12);
        QCOMPARE(g.Widths()[0], before[0] + before[1] - 12);
        g.Mouse(QEvent::MouseButtonRelease, x, Qt::NoButton);
    }

    void resizeSpreadsTheDraggedWidths()
    {
        TShownGrid g;
        const int x = g.Border(1);
        g.Mouse(QEvent::MouseButtonPress, x, Qt::LeftButton);
        g.Mouse(QEvent::MouseMove, x - 60, Qt::LeftButton);
        g.Mouse(QEvent::MouseButtonRelease, x - 60, Qt::NoButton);
        QCoreApplication::processEvents();
        const std::vector<int> dragged = g.Widths();
        const int total = Sum(dragged);
        g.Grid->resize(g.Grid->width() + total, g.Grid->height());
        QCoreApplication::processEvents();
        const std::vector<int> doubled = g.Widths();
        QCOMPARE(Sum(doubled), 2 * total);
        for (size_t i = 0; i < dragged.size(); ++i)
            QVERIFY2(std::abs(doubled[i] - 2 * dragged[i]) <= 1, qPrintable(QString::number(i)));
        // Growing by k and shrinking by k gives back the same widths.
        g.Grid->resize(g.Grid->width() - total, g.Grid->height());
        QCoreApplication::processEvents();
        QCOMPARE(g.Widths(), dragged);
    }

    void narrowGridKeepsTwelvePixelColumns()
    {
        TShownGrid g;
        g.Grid->resize(10, 200);
        QCoreApplication::processEvents();
        QVERIFY(g.Grid->width() >= g.Grid->minimumWidth());
        for (int w : g.Widths())
            QVERIFY(w >= 12);
        QVERIFY(Sum(g.Widths()) <= g.Grid->viewport()->width() + 4);
    }
};

QTEST_MAIN(TestQGridHeader)
#include "TestQGridHeader.moc"
