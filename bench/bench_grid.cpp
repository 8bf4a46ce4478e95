// Speed of the goods grid over a table of a million goods records: painting
// one screen of cells (every cell asks the table) and one search keystroke
// with the owner's text search and the repaint it causes.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

#include "GridTables.h"
#include "UDataGrid.h"

using namespace tv;
using namespace tvtest;

namespace {

constexpr int32_t BigCount = 1000000;

// The file lives in memory (tmpfs), so a million flushed appends are quick.
std::string BigPath()
{
    return "/dev/shm/tv_bench_grid_" + std::to_string(::getpid()) + ".dat";
}

struct TBigGrid {
    TGoodsTable Table{TFileEnv::Default(), BigPath()};
    std::unique_ptr<TDataGrid> Grid;
    QImage Image;

    ~TBigGrid()
    {
        Grid.reset();
        Table.Close();
        std::remove(BigPath().c_str());
    }

    TBigGrid()
    {
        std::remove(BigPath().c_str());
        Table.Open(true);
        std::mt19937 rng(5);
        for (int32_t i = 0; i < BigCount; ++i)
            Table.Add(std::to_string(10000000 + i),
                      "Товар " + std::to_string(rng() % 1000000) + " сорт " + std::to_string(rng() % 10),
                      rng() % 1000000, static_cast<int32_t>(rng() % 100));
        Table.SetIndex(Table.IndName.get());
        Table.First();
        Grid = std::make_unique<TDataGrid>(
            nullptr,
            std::vector<TDataGridColumn>{
                MakeDataGridColumn(TGoodsTable::fCode, TAlignment::taLeftJustify, 70, "Код", Table.IndCode.get(), true),
                MakeDataGridColumn(TGoodsTable::fName, TAlignment::taLeftJustify, 260, "Название", Table.IndName.get(), true),
                MakeDataGridColumn(TGoodsTable::fCost, TAlignment::taRightJustify, 80, "Цена", Table.IndCost.get(), false),
                MakeDataGridColumn(TGoodsTable::fLastDate, TAlignment::taCenter, 80, "Дата", nullptr, false),
                MakeDataGridColumn(TGoodsTable::fWeight, TAlignment::taRightJustify, 70, "Кол-во", nullptr, false),
                MakeDataGridColumn(TGoodsTable::fPCount, TAlignment::taRightJustify, 40, "Уп", nullptr, false),
                MakeDataGridColumn(TGoodsTable::fSum, TAlignment::taRightJustify, 90, "Сумма", nullptr, false)},
            &Table);
        QObject::connect(Grid.get(), &TDataGrid::OnSearchChange, [this](const std::string& text) {
            Table.SetIndex(Grid->Col() == 1 ? Table.IndCode.get() : Table.IndName.get());
            Table.FindText(text);
        });
        Grid->resize(1000, 800);
        Grid->show();
        QApplication::processEvents();
        Image = QImage(Grid->viewport()->size(), QImage::Format_RGB32);
    }

    void Paint() { Grid->viewport()->render(&Image); }
};

// Made once and gone before the application, as its widgets must be; a
// grid outliving it crashes at the exit and leaves its file behind.
std::unique_ptr<TBigGrid> BigGrid;

TBigGrid& Big()
{
    if (!BigGrid)
        BigGrid = std::make_unique<TBigGrid>();
    return *BigGrid;
}

void BM_PaintOneScreen(benchmark::State& state)
{
    TBigGrid& g = Big();
    std::mt19937 rng(11);
    QScrollBar* bar = g.Grid->verticalScrollBar();
    for (auto _ : state) {
        state.PauseTiming();
        bar->setValue(static_cast<int>(rng() % static_cast<uint32_t>(bar->maximum())));
        state.ResumeTiming();
        g.Paint();
    }
    state.counters["cells"] = static_cast<double>(
        (g.Grid->viewport()->height() / (g.Grid->DefaultRowHeight() + 1) + 1) * g.Grid->DataColumnCount());
}
BENCHMARK(BM_PaintOneScreen)->Unit(benchmark::kMicrosecond);

// One typed character (or a backspace, to keep the text short) in the name
// column: the owner's search, the grid following the table, and the paint.
void BM_SearchKeystroke(benchmark::State& state)
{
    TBigGrid& g = Big();
    g.Grid->SetCol(2);
    g.Grid->SearchCurrentColumn();
    const QString keys[] = {"Т", "о", "в", "а", "р", " ", "5", "\b", "\b", "\b", "\b", "\b", "\b", "\b"};
    size_t k = 0;
    for (auto _ : state) {
        const QString& key = keys[k++ % std::size(keys)];
        QKeyEvent press(QEvent::KeyPress, key == "\b" ? Qt::Key_Backspace : Qt::Key_unknown,
                        Qt::NoModifier, key);
        QApplication::sendEvent(g.Grid.get(), &press);
        QApplication::processEvents();
        g.Paint();
    }
    g.Grid->CancelSearch();
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Big();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    BigGrid.reset();
    return 0;
}
