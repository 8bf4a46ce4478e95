#pragma once
// The entry panel on the main window's left: the labels and six edits that
// show the current goods, the client area that paints the caption gradient
// behind them, and the colours of the labels on it.

#include "UMainModes.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QPainter;

namespace tv {

class TLocalDbEdit;
class TNbLabel;
class TTableStore;

// The client area: paints through the given function and calls the other
// on every resize, where the anchored controls are placed.
class TMainClient : public QWidget {
public:
    TMainClient(QWidget* parent, std::function<void(QPainter&)> paint, std::function<void()> resized);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    std::function<void(QPainter&)> FPaint;
    std::function<void()> FResized;
};

// The width of the panel's wide edits, the name and the note; the movements
// grid between them is as wide.
inline constexpr int WideEditWidth = 248;

// The gradient of the window's activation from the left edge to right.
void PaintEntryPanel(QPainter& painter, bool active, int right, int height);

// The panel's controls stand where the window's design puts them, counted
// from the panel's top left; the panel itself is transparent and covers the
// client from its top left, as high as the client.
class TEntryPanel : public QWidget {
public:
    // The digits a goods code holds, as its field.
    static constexpr int CodeDigits = 8;

    // The edits of amounts are drawn in amountFont, the name and the note
    // in the window's family at the largest size that shows a 40-letter name
    // whole.
    TEntryPanel(QWidget* client, const QFont& amountFont);

    // Places every control, or only those that keep to the bottom edge.
    void Place(bool bottomOnly);

    // The goods record's values into the edits and LbSum; a text is set only
    // where it differs from the one shown.
    void ShowGoods(const TTableStore& goods);
    // The 13-pixel captions of the note and the value in the window's family
    // at the size that shows their present texts whole; after each change
    // of their texts.
    void FitCaptions();

    // The values of no goods: empty code and name, zero amounts. The note
    // belongs to the movement and stays.
    void Clear();

    // The edits whose bit (TPanelEdit) is set take input; the others are
    // read-only in ReadOnlyColor.
    void SetWritable(unsigned writable);
    void ShowSign(TPlusSign sign);

    // The read-only colour from the palette again, given to the read-only
    // edits.
    void ComputeReadOnlyColor();
    QColor ReadOnlyColor() const;

    // The labels' colours and the note labels' gradient follow the window's
    // activation; the panel's gradient ends at panelRight, the left edge of
    // the edge widget.
    void ColourLabels(bool active, int panelRight);
    void SetActive(bool active);
    void SetPanelEdge(QWidget* edge);

    // Code, name, price, quantity, packs and note.
    std::array<TLocalDbEdit*, 6> Edits() const;

    QLabel *LbCode, *LbName, *LbCost, *LbWeight, *LbPCount, *LbMoves, *LbPlus, *LbCostNote, *LbWeightNote,
        *LbPCountNote;
    TNbLabel *LbMoveNote = nullptr, *LbSumTitle = nullptr, *LbSum = nullptr;
    TLocalDbEdit *EditCode = nullptr, *EditName = nullptr, *EditCost = nullptr, *EditWeight = nullptr,
                 *EditPCount = nullptr, *EditNote = nullptr;

private:
    void LockEdit(TLocalDbEdit* edit);
    void UnlockEdit(TLocalDbEdit* edit);

    std::uint32_t FReadOnlyColor = 0;
};

} // namespace tv
