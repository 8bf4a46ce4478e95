#pragma once
// The one text size of a window's fixed labels: the desktop's family kept,
// the size fitted to the boxes, whatever the family's line height.

#include <QFont>
#include <QStringList>

#include <vector>

namespace tv {

// A label of fixed height, top-aligned, and the texts it may show.
struct TTextBox {
    int Height;
    QStringList Texts;
};

// The form's font at the largest pixel size, from the form's own down to
// 8, at which every line of the texts is at most room pixels wide and the
// lines of each box's texts, laid out as a label lays them out, keep their
// glyphs within its height; 8 px when none does.
QFont LabelFont(const QFont& formFont, const QStringList& texts, int room, const std::vector<TTextBox>& boxes = {});

} // namespace tv
