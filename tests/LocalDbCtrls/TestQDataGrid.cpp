#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "GridTables.h"
#include "UDataGrid.h"
#include "UException.h"

using namespace tv;
using namespace tvtest;

namespace {

const QColor Window(255, 255, 255);
const QColor Highlight(49, 106, 197);

QPalette FixedPalette(const QColor& window = Window, const QColor& highlight = Highlight)
{
    QPalette pal = QApplication::palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Base, window);
        pal.setColor(group, QPalette::Highlight, highlight);
        pal.setColor(group, QPalette::HighlightedText, Qt::white);
        pal.setColor(group, QPalette::Text, Qt::black);
    }
    return pal;
}

// A grid that notes every text it asks for while painting.
class TProbeGrid : public TDataGrid {
public:
    using TDataGrid::TDataGrid;
    std::vector<std::string> Asked;
    std::string GetCellText(int Col, int Row) override
    {
        std::string text = TDataGrid::GetCellText(Col, Row);
        Asked.push_back(std::to_string(Col) + ":" + std::to_string(Row) + "=" + text);
        return text;
    }
};

// Goods with Code and Name searchable, as the main window shows them, and
// an owner that moves the table as the main window does.
struct TGoodsGrid {
    TFaultEnv Env;
    TGoodsTable Table{&Env};
    std::unique_ptr<TProbeGrid> Grid;
    std::vector<std::string> Changes;
    bool ThrowOnChange = false;
    bool Locate = true;  // false: the owner leaves the table where it is

    explicit TGoodsGrid(const std::vector<std::pair<std::string, std::string>>& goods,
                        bool searchable = true)
    {
        Table.Open(true);
        for (const auto& [code, name] : goods)
            Table.Add(code, name, 100 + static_cast<uint32_t>(Table.RecordCount()) * 7 % 50);
        Table.SetIndex(Table.IndName.get());
        Table.First();
        Grid = std::make_unique<TProbeGrid>(
            nullptr,
            std::vector<TDataGridColumn>{
                MakeDataGridColumn(TGoodsTable::fCode, TAlignment::taLeftJustify, 60, "Код",
                                   Table.IndCode.get(), searchable),
                MakeDataGridColumn(TGoodsTable::fName, TAlignment::taLeftJustify, 200, "Название",
                                   Table.IndName.get(), searchable),
                MakeDataGridColumn(TGoodsTable::fCost, TAlignment::taRightJustify, 80, "Цена",
                                   Table.IndCost.get(), false),
                MakeDataGridColumn(TGoodsTable::fPCount, TAlignment::taRightJustify, 50, "Уп",
                                   nullptr, false)},
            &Table);
        Grid->setPalette(FixedPalette());
        Grid->resize(500, 300);
        Grid->grab();  // lays the columns out over the width
        QObject::connect(Grid.get(), &TDataGrid::OnSearchChange, [this](const std::string& text) {
            Changes.push_back(text);
            if (ThrowOnChange)
                throw Exception("owner failed");
            if (!Locate)
                return;
            Table.SetIndex(Grid->Col() == 1 ? Table.IndCode.get() : Table.IndName.get());
            Table.FindText(text);
        });
    }

    void Type(const QString& keys)
    {
        for (QChar c : keys) {
            if (c == QChar('\b'))
                QTest::keyClick(Grid.get(), Qt::Key_Backspace);
            else {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(Grid.get(), &press);
            }
        }
    }

    // The current cell in view coordinates.
    QRect CurrentRect() const { return Grid->visualRect(Grid->currentIndex()); }
};

const std::vector<std::pair<std::string, std::string>> Vegetables = {
    {"101", "Капуста"}, {"102", "Картофель"}, {"103", "Лук"},
    {"104", "Морковь"}, {"105", "Свёкла"},    {"106", "Чеснок"},
};

int CountColour(const QImage& image, const QRect& rect, const QColor& colour)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                ++n;
    return n;
}

// Whether the grid's rows on screen, after the partial repaints so far,
// equal a painting of the whole grid now.
bool ScreenShowsAFreshPainting(TDataGrid* grid)
{
    QCoreApplication::processEvents();
    QWidget* window = grid->window();
    const QImage screen = window->screen()->grabWindow(window->winId()).toImage();
    const QRect area(grid->viewport()->mapTo(window, QPoint(0, 0)), grid->viewport()->size());
    return screen.copy(area) == grid->viewport()->grab().toImage().convertToFormat(screen.format());
}

} // namespace

class TestQDataGrid : public QObject {
    Q_OBJECT

private slots:
    void emptyTableShowsOneBlankRowAndStartsNoSearch()
    {
        TGoodsGrid g({});
        QSignalSpy begins(g.Grid.get(), &TDataGrid::OnSearchBegin);
        QCOMPARE(g.Grid->RowCount(), 2);
        QCOMPARE(g.Grid->model()->rowCount(), 1);
        QCOMPARE(g.Grid->Row(), 1);
        QCOMPARE(g.Grid->Col(), 1);
        QCOMPARE(g.Grid->GetCellText(2, 1), std::string());
        g.Type("ка");
        g.Grid->SearchCurrentColumn();
        QCOMPARE(begins.count(), 0);
        QVERIFY(!g.Grid->Searching());
        QVERIFY(g.Changes.empty());
        g.Grid->grab();  // paints the blank row without touching a record
    }

    void withoutSearchableColumnsThereIsNoMarker()
    {
        TGoodsGrid g(Vegetables, false);
        g.Grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.Grid.get()));
        QSignalSpy begins(g.Grid.get(), &TDataGrid::OnSearchBegin);
        QCOMPARE(g.Grid->FixedCols(), 0);
        QCOMPARE(g.Grid->ColCount(), 4);
        QCOMPARE(g.Grid->Col(), 0);
        QVERIFY(!g.Grid->verticalHeader()->isVisible());
        QCOMPARE(g.Grid->Header()->geometry().left(), g.Grid->viewport()->geometry().left());
        g.Type("ка");
        QCOMPARE(begins.count(), 0);
        QVERIFY(g.Changes.empty());
    }

    void incrementalSearch_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("record");
        QTest::newRow("backspace first keeps the text empty")
            << 2 << "\b" << QStringList{""} << "Капуста";
        QTest::newRow("Cyrillic letters then backspace drop one letter")
            << 2 << "Мор\b" << QStringList{"М", "Мо", "Мор", "Мо"} << "Морковь";
        QTest::newRow("case-insensitive match moves to the record")
            << 2 << "ЧЕ" << QStringList{"Ч", "ЧЕ"} << "Чеснок";
        QTest::newRow("unmatched text keeps every character")
            << 2 << "Лx9" << QStringList{"Л", "Лx", "Лx9"} << "Лук";
        QTest::newRow("code column searches by code")
            << 1 << "104" << QStringList{"1", "10", "104"} << "Морковь";
    }
    void incrementalSearch()
    {
        QFETCH(int, column);
        QFETCH(QString, keys);
        QFETCH(QStringList, changes);
        QFETCH(QString, record);
        TGoodsGrid g(Vegetables);
        g.Grid->SetCol(column);
        QSignalSpy begins(g.Grid.get(), &TDataGrid::OnSearchBegin);
        size_t changesAtBegin = 99;
        QObject::connect(g.Grid.get(), &TDataGrid::OnSearchBegin,
                         [&](const std::string&) { changesAtBegin = g.Changes.size(); });
        g.Type(keys);
        QCOMPARE(begins.count(), 1);
        QCOMPARE(changesAtBegin, size_t(0));  // the search begins before the first key
        QVERIFY(g.Grid->Searching());
        QStringList seen;
        for (const std::string& s : g.Changes)
            seen << QString::fromStdString(s);
        QCOMPARE(seen, changes);
        QCOMPARE(QString::fromStdString(g.Grid->SearchText()), changes.last());
        QCOMPARE(QString::fromStdString(g.Table.Name.GetText()), record);
        QCOMPARE(g.Grid->Row(), g.Table.GetRecNo() + 1);
        QCOMPARE(g.Grid->Col(), column);
    }

    // The typed beginning of the current cell looks unselected and the
    // rest selected; with nothing matched the whole text looks selected,
    // with everything matched none of it.
    void matchedBeginningIsDrawnApart_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("startSelected");
        QTest::addColumn<bool>("tailSelected");
        QTest::addColumn<bool>("locate");
        QTest::newRow("matched beginning") << "Карт" << false << true << true;
        QTest::newRow("unmatched text") << "Карz" << true << true << true;
        // The owner's search is its own affair; the drawing ignores case.
        QTest::newRow("beginning typed in the other case") << "кАРт" << false << true << false;
        QTest::newRow("whole text typed") << "картофель" << false << false << false;
    }
    void matchedBeginningIsDrawnApart()
    {
        QFETCH(QString, keys);
        QFETCH(bool, startSelected);
        QFETCH(bool, tailSelected);
        QFETCH(bool, locate);
        TGoodsGrid g(Vegetables);
        g.Grid->SetCol(2);
        g.Grid->SetRow(2);
        g.Locate = locate;
        g.Type(keys);
        QCOMPARE(QString::fromStdString(g.Table.Name.GetText()), QString("Картофель"));
        const QRect cell = g.CurrentRect();
        const QImage image = g.Grid->viewport()->grab().toImage();
        const int quarter = cell.height() / 4;
        // Where the grid's font puts the word's first letter and the part
        // after the typed beginning (the last letter left out, whose room
        // may be shared with the cell's edge).
        const QString word = "Картофель";
        const QFontMetrics metrics(g.Grid->font());
        const int left = g.Grid->CellTextRect(cell, word).left();
        const int typed = word.startsWith(keys, Qt::CaseInsensitive) ? int(keys.size()) : 0;
        const int tailLeft = left + metrics.horizontalAdvance(word.left(std::max(typed, 1))) + 1;
        const int tailRight = left + metrics.horizontalAdvance(word.chopped(1)) - 1;
        const QRect start(left, cell.top() + quarter, metrics.horizontalAdvance(word.left(1)) - 1,
                          cell.height() - 2 * quarter);
        const QRect tail(QPoint(tailLeft, cell.top() + quarter), QPoint(tailRight, cell.bottom() - quarter));
        QVERIFY2(tail.width() > 2 || !tailSelected, qPrintable(QString("tail %1 px").arg(tail.width())));
        QCOMPARE(CountColour(image, start, Highlight) > 0, startSelected);
        QCOMPARE(CountColour(image, tail, Highlight) > 0, tailSelected);
        if (!startSelected && !tailSelected)
            QCOMPARE(CountColour(image, cell, Highlight), 0);
        // Far right of the cell lies beyond the text: the row colour.
        QCOMPARE(image.pixelColor(cell.right() - 2, cell.top() + 2), g.Grid->RowColor(g.Grid->Row()));
    }

    // The marker column shows a triangle at the current row while a search
    // runs, and at no row otherwise.
    void markerTriangle_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("row");  // 0: no triangle
        QTest::newRow("no search") << "" << false << 0;
        QTest::newRow("search on the first row") << "К" << false << 1;
        QTest::newRow("search moved to another record") << "Л\bМ" << false << 4;
        QTest::newRow("search ended") << "Ч" << true << 0;
    }
    void markerTriangle()
    {
        QFETCH(QString, keys);
        QFETCH(bool, cancel);
        QFETCH(int, row);
        TGoodsGrid g(Vegetables);
        g.Grid->SetCol(2);
        g.Grid->SetRow(3);
        g.Type(keys);
        if (cancel)
            g.Grid->CancelSearch();
        if (row > 0)
            QCOMPARE(g.Grid->Row(), row);
        QHeaderView* marker = g.Grid->verticalHeader();
        QVERIFY(marker->isVisibleTo(g.Grid.get()));
        QCOMPARE(marker->width(), 11);
        const QImage image = marker->viewport()->grab().toImage();
        const QColor face = g.Grid->palette().color(QPalette::Active, QPalette::Button);
        for (int r = 1; r < g.Grid->RowCount(); ++r) {
            const QRect cell(0, marker->sectionViewportPosition(r - 1), 10, marker->sectionSize(r - 1) - 1);
            QCOMPARE(CountColour(image, cell, Highlight) > 0, r == row);
            // Right of the triangle's tip and at the top the cell shows the face colour.
            QCOMPARE(image.pixelColor(9, cell.top()), face);
            // A line down the right edge; across only below the last row.
            QVERIFY(image.pixelColor(10, cell.center().y()) != face);
            const QColor below = image.pixelColor(5, cell.bottom() + 1);
            QCOMPARE(below == face, r + 1 < g.Grid->RowCount());
            if (r == row) {
                // The tip points right, in the middle of the row.
                QCOMPARE(image.pixelColor(2, cell.top() + cell.height() / 2), Highlight);
                QVERIFY(image.pixelColor(2, cell.top() + 1) != Highlight ||
                        image.pixelColor(8, cell.top() + 2) != Highlight);
            }
        }
    }

    // What the screen shows after the partial repaints of a search: the
    // triangle leaves the rows the search has left.
    void markerFollowsTheSearchOnScreen()
    {
        TGoodsGrid g(Vegetables);
        g.Grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.Grid.get()));
        g.Grid->SetCol(2);
        QHeaderView* marker = g.Grid->verticalHeader();
        auto shown = [&] {
            QCoreApplication::processEvents();
            const QImage screen = g.Grid->screen()->grabWindow(g.Grid->winId()).toImage();
            const QPoint origin = marker->viewport()->mapTo(g.Grid.get(), QPoint(0, 0));
            std::vector<int> rows;
            for (int r = 1; r < g.Grid->RowCount(); ++r) {
                const QRect cell(origin.x(), origin.y() + marker->sectionViewportPosition(r - 1), 10,
                                 marker->sectionSize(r - 1) - 1);
                if (CountColour(screen, cell, Highlight) > 0)
                    rows.push_back(r);
            }
            return rows;
        };
        QCOMPARE(shown(), std::vector<int>{});
        g.Type("Л");
        QCOMPARE(shown(), std::vector<int>{3});
        g.Type("\bМ");
        QCOMPARE(shown(), std::vector<int>{4});
        g.Grid->CancelSearch();
        QCOMPARE(shown(), std::vector<int>{});
        g.Grid->SearchCurrentColumn();
        QCOMPARE(shown(), std::vector<int>{4});
        QTest::keyClick(g.Grid.get(), Qt::Key_Up);
        QCOMPARE(shown(), std::vector<int>{});
    }

    // The current cell on screen: wholly selected while idle, its typed
    // beginning apart while a search runs, selected again once it ends.
    void currentCellFollowsTheSearchOnScreen()
    {
        TGoodsGrid g(Vegetables);
        g.Grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.Grid.get()));
        g.Grid->SetCol(2);
        g.Grid->SetRow(3);
        const QRect cell = g.CurrentRect();
        const QPoint origin = g.Grid->viewport()->mapTo(g.Grid.get(), QPoint(0, 0));
        auto selected = [&] {
            QCoreApplication::processEvents();
            const QImage screen = g.Grid->screen()->grabWindow(g.Grid->winId()).toImage();
            return CountColour(screen, cell.translated(origin), Highlight);
        };
        const int idle = selected();
        QVERIFY(idle > cell.width() * cell.height() / 2);
        g.Grid->SearchCurrentColumn();
        const int begun = selected();
        QVERIFY(begun > 0 && begun < idle / 2);  // only the text's own background
        g.Type("Л");
        const int one = selected();
        g.Type("у");
        const int two = selected();
        QVERIFY(one > 0 && one < begun);
        QVERIFY(two > 0 && two < one);
        g.Type("\b");
        QCOMPARE(selected(), one);
        g.Grid->CancelSearch();
        QCOMPARE(selected(), idle);
    }

    // An owner that re-sorts the table while searching gets every row
    // repainted: the screen equals a fresh painting of the grid.
    void searchChangingTheOrderRepaintsTheRows()
    {
        TGoodsGrid g({{"106", "Арбуз"}, {"105", "Брюква"}, {"104", "Вишня"}, {"103", "Груша"},
                      {"102", "Дыня"}, {"101", "Ежевика"}});
        g.Grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.Grid.get()));
        g.Grid->SetCol(1);
        g.Grid->SetRow(3);
        QCoreApplication::processEvents();
        g.Type("1");  // the owner sorts by code: the order turns round
        QCOMPARE(g.Table.GetIndexName(), std::string("IndCode"));
        QVERIFY(ScreenShowsAFreshPainting(g.Grid.get()));
    }

    // Cell text stands 2 pixels in from the left, 1 pixel in from the right,
    // or in the middle, after the column's alignment.
    void cellTextAlignment_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::newRow("left") << int(TAlignment::taLeftJustify);
        QTest::newRow("right") << int(TAlignment::taRightJustify);
        QTest::newRow("centre") << int(TAlignment::taCenter);
    }
    void cellTextAlignment()
    {
        QFETCH(int, alignment);
        TFaultEnv env;
        TGoodsTable table(&env);
        table.Open(true);
        table.Add("101", "Лук");
        table.Add("102", "Чеснок");
        TDataGrid grid(nullptr,
                       {MakeDataGridColumn(TGoodsTable::fName, TAlignment(alignment), 120, "Название",
                                           nullptr, false),
                        MakeDataGridColumn(TGoodsTable::fCode, TAlignment::taLeftJustify, 60, "Код",
                                           nullptr, false)},
                       &table);
        grid.setPalette(FixedPalette());
        grid.resize(300, 120);
        grid.SetCol(1);  // the measured cell is not the current one
        const QImage image = grid.viewport()->grab().toImage();
        const QRect cell = grid.visualRect(grid.model()->index(1, 0));
        int first = -1, last = -1;
        for (int x = cell.left(); x <= cell.right(); ++x)
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                if (image.pixelColor(x, y).lightness() < 100) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        QVERIFY(first >= 0);
        switch (TAlignment(alignment)) {
        case TAlignment::taLeftJustify:
            QVERIFY2(first - cell.left() >= 2 && first - cell.left() <= 3, qPrintable(QString::number(first - cell.left())));
            break;
        case TAlignment::taRightJustify:
            QVERIFY2(cell.right() - last >= 1 && cell.right() - last <= 2, qPrintable(QString::number(cell.right() - last)));
            break;
        case TAlignment::taCenter:
            QVERIFY2(std::abs((first + last) - (cell.left() + cell.right() + 1)) <= 3,
                     qPrintable(QString("%1 %2").arg(first).arg(last)));
            break;
        }
    }

    void searchEndsOnSelectionFocusAndCancel_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("arrow key") << 0;
        QTest::newRow("row set by the owner") << 1;
        QTest::newRow("cancel") << 2;
        QTest::newRow("sort by a column") << 3;
        QTest::newRow("mouse click on another row") << 4;
    }
    void searchEndsOnSelectionFocusAndCancel()
    {
        QFETCH(int, way);
        TGoodsGrid g(Vegetables);
        g.Grid->SetCol(2);
        QSignalSpy ends(g.Grid.get(), &TDataGrid::OnSearchEnd);
        g.Type("Л");
        QVERIFY(g.Grid->Searching());
        switch (way) {
        case 0: QTest::keyClick(g.Grid.get(), Qt::Key_Down); break;
        case 1: g.Grid->SetRow(1); break;
        case 2: g.Grid->CancelSearch(); break;
        case 3: g.Grid->SortByColumn(0); break;
        case 4:
            QTest::mouseClick(g.Grid->viewport(), Qt::LeftButton, {},
                              g.Grid->visualRect(g.Grid->model()->index(0, 1)).center());
            QCOMPARE(g.Grid->Row(), 1);
            break;
        }
        QVERIFY(!g.Grid->Searching());
        QCOMPARE(ends.count(), 1);
        QCOMPARE(g.Grid->SearchText(), std::string());
        // Cancel fires the end event also when no search runs; sorting does not.
        g.Grid->CancelSearch();
        g.Grid->SortByColumn(1);
        QCOMPARE(ends.count(), 2);
    }

    void focusLeavingTheWindowControlEndsSearch()
    {
        QWidget window;
        TGoodsGrid g(Vegetables);
        g.Grid->setParent(&window);
        auto* other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QSignalSpy enters(g.Grid.get(), &TDataGrid::OnEnter);
        g.Grid->setFocus();
        QCOMPARE(enters.count(), 1);
        g.Grid->SetCol(2);
        g.Type("Л");
        QVERIFY(g.Grid->Searching());
        other->setFocus();
        QVERIFY(!g.Grid->Searching());
        g.Grid->setFocus();
        QCOMPARE(enters.count(), 2);
    }

    // The current cell carries a focus frame while the grid has the focus,
    // also when the focus did not come by the keyboard.
    void focusedCellIsFramed()
    {
        QWidget window;
        TGoodsGrid g(Vegetables);
        g.Grid->setParent(&window);
        auto* other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        g.Grid->SetRow(2);
        // Pixels of the cell's outline, and of its inside, not in the highlight colour.
        auto marks = [&](bool outline) {
            const QRect cell = g.CurrentRect();
            const QImage image = g.Grid->viewport()->grab().toImage();
            const QRect inside = cell.adjusted(1, 1, -1, -1);
            const QRect inner(inside.right() - 6, inside.top(), 6, inside.height());  // past the text
            return outline ? cell.width() * 2 + cell.height() * 2 - 4 -
                                 (CountColour(image, QRect(cell.left(), cell.top(), cell.width(), 1), Highlight) +
                                  CountColour(image, QRect(cell.left(), cell.bottom(), cell.width(), 1), Highlight) +
                                  CountColour(image, QRect(cell.left(), cell.top() + 1, 1, cell.height() - 2), Highlight) +
                                  CountColour(image, QRect(cell.right(), cell.top() + 1, 1, cell.height() - 2), Highlight))
                           : inner.width() * inner.height() - CountColour(image, inner, Highlight);
        };
        other->setFocus(Qt::MouseFocusReason);
        QCOMPARE(marks(true), 0);
        g.Grid->setFocus(Qt::MouseFocusReason);
        QVERIFY(g.Grid->hasFocus());
        QVERIFY(marks(true) > 0);
        QCOMPARE(marks(false), 0);  // the cell keeps its colour inside the frame
    }

    void failingOwnerLeavesNoStuckSearchKey()
    {
        TGoodsGrid g(Vegetables);
        g.Grid->SetCol(2);
        g.Type("Л");
        g.ThrowOnChange = true;
        QVERIFY_THROWS_EXCEPTION(Exception, g.Grid->SearchKey("у"));
        g.ThrowOnChange = false;
        g.Grid->SetRow(1);
        QVERIFY(!g.Grid->Searching());
    }

    void searchCurrentColumnRestarts()
    {
        TGoodsGrid g(Vegetables);
        QSignalSpy begins(g.Grid.get(), &TDataGrid::OnSearchBegin);
        g.Grid->SetCol(3);
        g.Grid->SearchCurrentColumn();
        QCOMPARE(begins.count(), 0);
        g.Grid->SetCol(2);
        g.Grid->SearchCurrentColumn();
        g.Type("Ч");
        g.Grid->SearchCurrentColumn();
        QCOMPARE(begins.count(), 2);
        QCOMPARE(g.Grid->SearchText(), std::string());
        QVERIFY(g.Grid->Searching());
    }

    void typingInAColumnThatIsNotSearchableIsDropped()
    {
        TGoodsGrid g(Vegetables);
        g.Grid->SetCol(3);
        QString passed;
        QObject::connect(g.Grid.get(), &TDataGrid::OnKeyPress, [&](QString& key) { passed += key; });
        g.Type("12");
        QCOMPARE(passed, QString("12"));
        QVERIFY(!g.Grid->Searching());
        // The owner can drop a character before the grid sees it.
        g.Grid->SetCol(1);
        QObject::connect(g.Grid.get(), &TDataGrid::OnKeyPress, [](QString& key) {
            if (key != "1")
                key.clear();
        });
        g.Type("x1");
        QCOMPARE(g.Grid->SearchText(), std::string("1"));
    }

    void clickingACaption_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<QString>("index");
        QTest::newRow("current sort column changes nothing") << 1 << "IndName";
        QTest::newRow("column without an index changes nothing") << 3 << "IndName";
        QTest::newRow("another column re-sorts") << 2 << "IndCost";
    }
    void clickingACaption()
    {
        QFETCH(int, section);
        QFETCH(QString, index);
        QWidget window;
        TGoodsGrid g(Vegetables);
        g.Grid->setParent(&window);
        auto* other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        g.Grid->SetCol(2);
        g.Grid->SetRow(4);
        const std::string name = g.Table.Name.GetText();
        g.Type("М");
        g.Grid->Asked.clear();
        TGridHeader* header = g.Grid->Header();
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QVERIFY(g.Grid->hasFocus());
        QVERIFY(!g.Grid->Searching());
        QCOMPARE(QString::fromStdString(g.Table.GetIndexName()), index);
        QCOMPARE(g.Table.Name.GetText(), std::string("Морковь"));
        QCOMPARE(g.Grid->Row(), g.Table.GetRecNo() + 1);
        QVERIFY(ScreenShowsAFreshPainting(g.Grid.get()));
        Q_UNUSED(name);
    }

    void tiltWheel_data()
    {
        QTest::addColumn<bool>("searchable");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("tilt");  // +1 right, -1 left
        QTest::addColumn<int>("expected");
        QTest::newRow("right in the last column") << true << 4 << 1 << 4;
        QTest::newRow("left in the first data column") << true << 1 << -1 << 1;
        QTest::newRow("right moves on") << true << 2 << 1 << 3;
        QTest::newRow("left moves back") << true << 3 << -1 << 2;
        QTest::newRow("left at column 0 without marker") << false << 0 << -1 << 0;
        QTest::newRow("right without marker") << false << 0 << 1 << 1;
    }
    void tiltWheel()
    {
        QFETCH(bool, searchable);
        QFETCH(int, start);
        QFETCH(int, tilt);
        QFETCH(int, expected);
        TGoodsGrid g(Vegetables, searchable);
        g.Grid->SetCol(start);
        g.Grid->SetRow(3);
        const QPoint at = g.CurrentRect().center();
        // Qt counts a tilt to the right as negative.
        QWheelEvent wheel(at, g.Grid->viewport()->mapToGlobal(at), QPoint(), QPoint(-120 * tilt, 0),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g.Grid->viewport(), &wheel);
        QCOMPARE(g.Grid->Col(), expected);
        QCOMPARE(g.Grid->Row(), 3);
    }

    void verticalWheelMovesTheCurrentRow()
    {
        TGoodsGrid g(Vegetables);
        g.Grid->SetRow(5);
        const QPoint at = g.CurrentRect().center();
        auto turn = [&](int dy) {
            QWheelEvent wheel(at, g.Grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, dy),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(g.Grid->viewport(), &wheel);
        };
        turn(-120);
        QCOMPARE(g.Grid->Row(), 6);
        QCOMPARE(g.Table.GetRecNo(), 5);
        turn(-120);  // already the last row
        QCOMPARE(g.Grid->Row(), 6);
        turn(60);
        QCOMPARE(g.Grid->Row(), 6);
        turn(60);
        QCOMPARE(g.Grid->Row(), 5);
    }

    void rowTintsFromAFixedPalette_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("highlight");
        QTest::addColumn<QColor>("tint");
        QTest::newRow("white window, blue highlight")
            << QColor(255, 255, 255) << QColor(49, 106, 197) << QColor(219, 229, 245);
        QTest::newRow("highlight brighter than the window")
            << QColor(0, 0, 0) << QColor(255, 255, 255) << QColor(44, 44, 44);
    }
    void rowTintsFromAFixedPalette()
    {
        QFETCH(QColor, window);
        QFETCH(QColor, highlight);
        QFETCH(QColor, tint);
        TGoodsGrid g(Vegetables);
        g.Grid->setPalette(FixedPalette(window, highlight));
        QCOMPARE(g.Grid->GetEvenRowColor(), tint);
        g.Grid->SetRow(6);
        const QImage image = g.Grid->viewport()->grab().toImage();
        // Column 3 is not current; sample its right end, away from the text.
        const QRect first = g.Grid->visualRect(g.Grid->model()->index(0, 3));
        const QRect second = g.Grid->visualRect(g.Grid->model()->index(1, 3));
        QCOMPARE(image.pixelColor(first.left() + 1, first.center().y()), window);
        QCOMPARE(image.pixelColor(second.left() + 1, second.center().y()), tint);
        // The current cell is selected while no search runs.
        const QRect current = g.CurrentRect();
        QCOMPARE(image.pixelColor(current.right() - 2, current.top() + 2), highlight);
    }

    void paintingAsksTheTable()
    {
        std::vector<std::pair<std::string, std::string>> many;
        for (int i = 0; i < 1000; ++i)
            many.push_back({std::to_string(1000 + i), "Товар " + std::to_string(1000 + i)});
        TGoodsGrid g(many);
        g.Table.First();
        g.Grid->Reload();
        g.Grid->Asked.clear();
        g.Grid->viewport()->grab();
        const size_t visible = static_cast<size_t>(g.Grid->viewport()->height() / g.Grid->DefaultRowHeight() + 1) * 4;
        QVERIFY(!g.Grid->Asked.empty());
        QVERIFY(g.Grid->Asked.size() <= visible);
        QVERIFY(std::find(g.Grid->Asked.begin(), g.Grid->Asked.end(), "2:1=Товар 1000") != g.Grid->Asked.end());

        const QImage before = g.Grid->viewport()->grab().toImage();
        g.Table.Edit();
        g.Table.Name.SetText("Арбуз");
        g.Table.Post();  // still the first by name
        g.Grid->Reload();
        g.Grid->Asked.clear();
        const QImage after = g.Grid->viewport()->grab().toImage();
        QVERIFY(std::find(g.Grid->Asked.begin(), g.Grid->Asked.end(), "2:1=Арбуз") != g.Grid->Asked.end());
        const QRect cell = g.Grid->visualRect(g.Grid->model()->index(0, 1));
        QVERIFY(before.copy(cell) != after.copy(cell));
        QCOMPARE(g.Grid->model()->data(g.Grid->model()->index(0, 1)).toString(), QString("Арбуз"));
    }

    void keysKeepTheCurrentCellInView()
    {
        std::vector<std::pair<std::string, std::string>> many;
        for (int i = 0; i < 300; ++i)
            many.push_back({std::to_string(1000 + i), "Товар " + std::to_string(1000 + i)});
        TGoodsGrid g(many);
        g.Grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.Grid.get()));
        const QRect view = g.Grid->viewport()->rect();
        QTest::keyClick(g.Grid.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g.Grid->Row(), 300);
        QCOMPARE(g.Table.GetRecNo(), 299);
        QVERIFY(view.contains(g.CurrentRect()));
        QTest::keyClick(g.Grid.get(), Qt::Key_PageUp);
        QVERIFY(g.Grid->Row() < 300);
        QCOMPARE(g.Table.GetRecNo(), g.Grid->Row() - 1);
        QVERIFY(view.contains(g.CurrentRect()));
        // A search that jumps far away brings its record into view.
        g.Grid->SetCol(2);
        g.Type("Товар 1005");
        QCOMPARE(g.Grid->Row(), 6);
        QVERIFY(view.contains(g.CurrentRect()));
    }

    void reloadFollowsRecordsAndOrder()
    {
        TGoodsGrid g(Vegetables);
        g.Table.Add("107", "Абрикос");
        QCOMPARE(g.Grid->RowCount(), 7);  // not watched until reloaded
        g.Grid->Reload();
        QCOMPARE(g.Grid->RowCount(), 8);
        QCOMPARE(g.Grid->Row(), 1);
        g.Table.SetRecNo(6);
        g.Table.Delete();
        g.Grid->Reload();
        QCOMPARE(g.Grid->RowCount(), 7);
        QCOMPARE(g.Grid->Row(), g.Table.GetRecNo() + 1);
        g.Table.Empty();
        g.Grid->Reload();
        QCOMPARE(g.Grid->RowCount(), 2);
        QCOMPARE(g.Grid->Row(), 1);
    }

    void selectingACellMovesTheTableFirst()
    {
        TGoodsGrid g(Vegetables);
        std::vector<int> seen;
        bool refuse = false;
        QObject::connect(g.Grid.get(), &TDataGrid::OnSelectCell, [&](int col, int row, bool& can) {
            seen = {col, row, g.Grid->Col(), g.Grid->Row(), g.Table.GetRecNo()};
            can = !refuse;
        });
        const QRect target = g.Grid->visualRect(g.Grid->model()->index(3, 1));
        QTest::mouseClick(g.Grid->viewport(), Qt::LeftButton, {}, target.center());
        QCOMPARE(seen, (std::vector<int>{2, 4, 1, 1, 3}));
        QCOMPARE(g.Grid->Row(), 4);
        refuse = true;
        QTest::keyClick(g.Grid.get(), Qt::Key_Down);
        QCOMPARE(seen, (std::vector<int>{2, 5, 2, 4, 4}));
        QCOMPARE(g.Grid->Row(), 4);
        QCOMPARE(g.Table.GetRecNo(), 3);
    }

    void construction()
    {
        TFaultEnv env;
        TGoodsTable table(&env);
        const std::vector<TDataGridColumn> one = {
            MakeDataGridColumn(TGoodsTable::fName, TAlignment::taLeftJustify, 100, "Name", nullptr, true)};
        try {
            TDataGrid closed(nullptr, one, &table);
            QFAIL("a closed table was accepted");
        } catch (const Exception& e) {
            QCOMPARE(QString::fromStdString(e.Message()), QString("Недопустимая операция при закрытой таблице"));
        }
        table.Open(true);
        try {
            TDataGrid grid(nullptr, {}, &table);
            QFAIL("no assertion");
        } catch (const EAssertionFailed& e) {
            QCOMPARE(QString::fromStdString(e.Text()), QString("AColumns array param must be not empty"));
        }
        TDataGrid grid(nullptr,
                       {MakeDataGridColumn(TGoodsTable::fName, TAlignment::taLeftJustify, 100, "Name", nullptr, true),
                        MakeDataGridColumn(TGoodsTable::fCode, TAlignment::taLeftJustify, 50, "Code", nullptr, false)},
                       &table);
        // Every column can keep 12 pixels.
        QVERIFY(grid.minimumWidth() >= 12 * 2 + 11 + 2);
        grid.SetColumnCaption(1, "Код");
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QString("Код"));
        QVERIFY_THROWS_EXCEPTION(ERangeError, grid.SetColumnCaption(2, "x"));
    }
};

QTEST_MAIN(TestQDataGrid)
#include "TestQDataGrid.moc"
