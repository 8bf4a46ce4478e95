#include "UMainColumns.h"

#include "UDataGrid.h"
#include "UException.h"
#include "ULangTexts.h"
#include "UProgOptions.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <QFontMetricsF>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace tv {

namespace {

// Until the user has left widths of his own, every column holds what a
// store's goods show: 8-digit codes, prices and quantities to 99'999.99,
// values to 9'999'999.99, 5-digit packs, dates in either form.
constexpr const char* SampleCode = "99999999";
constexpr const char* SampleDate = "99.99.9999|99/99/9999";
constexpr const char* SampleAmount = "99'999.99";
constexpr const char* SamplePacks = "99999";
constexpr const char* SampleValue = "9'999'999.99";

int32_t FieldNo(const TDatFile& table, const TField& field)
{
    const TFields* fields = table.Fields();
    for (int32_t i = 0; fields != nullptr && i < fields->Count(); ++i)
        if (fields->Items(i) == &field) return i;
    throw Exception("The table has no field " + field.GetName());
}

// The pixels a text takes, whole: advances keep fractions under slight
// hinting, and the grid ends a text that is wider by any part in "...".
int TextPixels(const QFontMetricsF& metrics, const QString& text)
{
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
}

// The text with each 9 as the font's widest digit.
int WidestAdvance(const QFontMetricsF& metrics, const QString& text)
{
    QChar widest = '0';
    for (char d = '1'; d <= '9'; ++d)
        if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widest)) widest = QChar(d);
    QString t = text;
    t.replace('9', widest);
    return TextPixels(metrics, t);
}

} // namespace

TMainColumns GoodsColumns(TTableStore& g)
{
    using enum TAlignment;
    using O = TProgOptions;
    return {
        {&g.Code, taLeftJustify, &O::GetStoreCodeWidth, &O::SetStoreCodeWidth, SlotColCode, g.IndCode.get(), true,
         SampleCode},
        {&g.Name, taLeftJustify, &O::GetStoreNameWidth, &O::SetStoreNameWidth, SlotColName, g.IndName.get(), true,
         nullptr},
        {&g.Cost, taRightJustify, &O::GetStoreCostWidth, &O::SetStoreCostWidth, SlotColPrice, g.IndCost.get(), false,
         SampleAmount},
        {&g.LastDate, taCenter, &O::GetStoreDateWidth, &O::SetStoreDateWidth, SlotColDate, g.IndDate.get(), false,
         SampleDate},
        {&g.Weight, taRightJustify, &O::GetStoreWeightWidth, &O::SetStoreWeightWidth, SlotColQuantity,
         g.IndWeight.get(), false, SampleAmount},
        {&g.PCount, taRightJustify, &O::GetStoreCountPWidth, &O::SetStoreCountPWidth, SlotColPacks, g.IndPock.get(),
         false, SamplePacks},
        {&g.Sum, taRightJustify, &O::GetStoreSumWidth, &O::SetStoreSumWidth, SlotColCost, g.IndSum.get(), false,
         SampleValue},
    };
}

TMainColumns MovesColumns(TTableMoves& m)
{
    using enum TAlignment;
    using O = TProgOptions;
    return {
        {&m.MoveDate, taCenter, &O::GetMovesDateWidth, &O::SetMovesDateWidth, SlotColDate, nullptr, false, SampleDate},
        {&m.Direction, taCenter, &O::GetMovesMoveWidth, &O::SetMovesMoveWidth, SlotColMove, nullptr, false, nullptr},
        {&m.Weight, taRightJustify, &O::GetMovesWeightWidth, &O::SetMovesWeightWidth, SlotColQuantity, nullptr,
         false, SampleAmount},
        {&m.PCount, taRightJustify, &O::GetMovesCountPWidth, &O::SetMovesCountPWidth, SlotColPacks, nullptr, false,
         SamplePacks},
        {&m.Sum, taRightJustify, &O::GetMovesSumWidth, &O::SetMovesSumWidth, SlotColSum, nullptr, false, SampleValue},
    };
}

std::vector<TDataGridColumn> MakeGridColumns(const TMainColumns& columns, const TDatFile& table,
                                             TProgOptions& options)
{
    std::vector<TDataGridColumn> made;
    for (const TMainColumn& c : columns)
        made.push_back(MakeDataGridColumn(FieldNo(table, *c.Field), c.Alignment, (options.*c.Width)(),
                                          TextTable[c.Caption], c.Index, c.Searchable));
    return made;
}

void SetColumnCaptions(TDataGrid& grid, const TMainColumns& columns)
{
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) grid.SetColumnCaption(i, TextTable[columns[i].Caption]);
}

void SaveColumnWidths(const TDataGrid& grid, const TMainColumns& columns, TProgOptions& options)
{
    // A section holds its column and the column's grid line.
    int section = 0;
    for (const TMainColumn& c : columns) (options.*c.SetWidth)(grid.Header()->sectionSize(section++) - 1);
}

// A cell's text stands 2 pixels in from the left, 1 from the right; a
// caption 3 from either side.
std::vector<int> FirstColumnWidths(const TDataGrid& grid, int gridWidth, const TMainColumns& columns)
{
    const QFontMetricsF metrics(grid.font());
    std::vector<int> widths;
    int rest = -1, used = 0, column = 0;
    for (const TMainColumn& c : columns) {
        const QString caption = grid.model()->headerData(column++, Qt::Horizontal).toString();
        if (!c.Sample) {
            rest = static_cast<int>(widths.size());
            widths.push_back(0);
            continue;
        }
        int w = TextPixels(metrics, caption) + 5;
        for (const QString& text : QString(c.Sample).split('|')) w = std::max(w, WidestAdvance(metrics, text) + 3);
        widths.push_back(w);
        used += w + 1;
    }
    if (rest >= 0) widths[rest] = std::max(TDataGrid::MinColumnWidth(), grid.SectionsRoom(gridWidth) - used - 1);
    return widths;
}

int FirstStartRoom(const QFont& font, const TMainColumns& columns, const QStringList& restTexts)
{
    const QFontMetricsF metrics(font);
    TTextTable languages[3];
    languages[0].Load(RusTexts);
    languages[1].Load(UkrTexts);
    languages[2].Load(EngTexts);
    int room = 0;
    for (const TMainColumn& c : columns) {
        int w = 0;
        for (const TTextTable& texts : languages)
            w = std::max(w, TextPixels(metrics, QString::fromStdString(texts[c.Caption])) + 5);
        const QStringList samples = c.Sample ? QString(c.Sample).split('|') : restTexts;
        for (const QString& text : samples) w = std::max(w, WidestAdvance(metrics, text) + 3);
        room += w + 1;
    }
    return room;
}

int GridColumnOf(const TDataGrid& grid, const TMainColumns& columns, const TField& field)
{
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        if (columns[i].Field == &field) return i + grid.FixedCols();
    return -1;
}

} // namespace tv
