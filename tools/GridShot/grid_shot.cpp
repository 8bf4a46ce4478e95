// Draws a window with a goods grid of a few hundred records and the key-range
// grid of the current goods' movements, optionally in the middle of a search,
// and saves it as a PNG. Run with QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QWidget>

#include <cstdio>
#include <string>

#include "GridTables.h"
#include "UDataGrid.h"
#include "UFilteredDataGrid.h"

using namespace tv;
using namespace tvtest;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: grid_shot out.png [search-text]\n");
        return 2;
    }
    const char* kinds[] = {"Капуста белокочанная", "Картофель молодой", "Морковь мытая",
                           "Свёкла столовая", "Лук репчатый", "Чеснок отборный",
                           "Яблоки «Антоновка»", "Груши дюшес", "Огурцы тепличные",
                           "Помидоры черри", "Перец болгарский", "Щавель"};
    const char* grades[] = {"высший сорт", "1 сорт", "2 сорт", "фасованные 5 кг", "ящик",
                            "мешок 25 кг очень длинное название для проверки"};
    TFaultEnv env;
    TGoodsTable goods(&env);
    TMovesTable moves(&env);
    goods.Open(true);
    moves.Open(true);
    int n = 0;
    for (const char* kind : kinds)
        for (const char* grade : grades)
            for (int k = 0; k < 4; ++k, ++n)
                goods.Add(std::to_string(10000 + n * 7), std::string(kind) + ", " + grade + " №" + std::to_string(k + 1),
                          static_cast<uint32_t>(1500 + n * 1371 % 250000),
                          static_cast<int32_t>(n % 17));
    for (int i = 1; i <= 40; ++i)
        moves.Add(1 + i % 5, EncodeDate(2026, 1 + i % 12, 1 + i % 28), static_cast<uint32_t>(i * 250));
    goods.SetIndex(goods.IndName.get());
    goods.First();

    QWidget window;
    window.resize(1000, 520);
    auto* layout = new QHBoxLayout(&window);
    auto* movesGrid = new TFilteredDataGrid(
        &window,
        {MakeDataGridColumn(TMovesTable::fMoveDate, TAlignment::taCenter, 80, "Дата", nullptr, false),
         MakeDataGridColumn(TMovesTable::fDirection, TAlignment::taCenter, 40, "Движ", nullptr, false),
         MakeDataGridColumn(TMovesTable::fWeight, TAlignment::taRightJustify, 60, "Кол-во", nullptr, false),
         MakeDataGridColumn(TMovesTable::fSum, TAlignment::taRightJustify, 60, "Сумма", nullptr, false)},
        &moves);
    movesGrid->setFixedWidth(248);
    auto* grid = new TDataGrid(
        &window,
        {MakeDataGridColumn(TGoodsTable::fCode, TAlignment::taLeftJustify, 50, "Код", goods.IndCode.get(), true),
         MakeDataGridColumn(TGoodsTable::fName, TAlignment::taLeftJustify, 220, "Название", goods.IndName.get(), true),
         MakeDataGridColumn(TGoodsTable::fCost, TAlignment::taRightJustify, 70, "Цена", goods.IndCost.get(), false),
         MakeDataGridColumn(TGoodsTable::fLastDate, TAlignment::taCenter, 70, "Дата", nullptr, false),
         MakeDataGridColumn(TGoodsTable::fWeight, TAlignment::taRightJustify, 60, "Кол-во", nullptr, false),
         MakeDataGridColumn(TGoodsTable::fPCount, TAlignment::taRightJustify, 35, "Уп", nullptr, false),
         MakeDataGridColumn(TGoodsTable::fSum, TAlignment::taRightJustify, 80, "Сумма", nullptr, false)},
        &goods);
    layout->addWidget(movesGrid);
    layout->addWidget(grid);
    QObject::connect(grid, &TDataGrid::OnSearchChange, [&](const std::string& text) {
        goods.SetIndex(grid->Col() == 1 ? goods.IndCode.get() : goods.IndName.get());
        goods.FindText(text);
    });
    QObject::connect(grid, &TDataGrid::OnSelectCell, [&](int, int, bool&) {
        const int32_t id = goods.ID.GetValue() % 5 + 1;
        const TDateTime first = EncodeDate(1, 1, 1);
        movesGrid->SetFilter(moves.IndGoods.get(), {id, TVariant::DateTime(first)},
                             {id + 1, TVariant::DateTime(first)});
    });
    window.show();
    window.activateWindow();
    QApplication::processEvents();
    grid->setFocus();
    grid->SetCol(2);
    grid->SetRow(30);
    if (argc > 2) {
        for (QChar c : QString::fromUtf8(argv[2])) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(grid, &key);
        }
    }
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
