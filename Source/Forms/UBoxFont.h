#pragma once
// Fonts for the main window's boxes of fixed pixel size: the desktop's family
// is kept and the size fitted to the box, not the box to the font, so that
// faces of tall lines or wide letters show their texts whole.

#include <QFont>
#include <QMargins>
#include <QSize>
#include <QStringList>

#include <functional>

namespace tv {

// The smallest pixel size a fitted font takes.
inline constexpr int SmallestBoxPixels = 7;

// The font at the largest pixel size up to its own at which fits answers
// true, or at the smallest.
QFont LargestFittingFont(const QFont& font, const std::function<bool(const QFont&)>& fits);

// The font at the largest pixel size up to its own at which every text is
// at most width pixels wide.
QFont FitFontToWidth(const QFont& font, const QStringList& texts, int width);

// The font at the largest pixel size up to its own at which each text,
// drawn with the flags as a label draws it in a box of that size less the
// margins, at the screen's pixel ratio, puts no glyph pixel outside the box
// (a pixel a quarter covered or more, as a user sees it).
QFont FitFontToBox(const QFont& font, const QStringList& texts, const QSize& box, int flags, qreal ratio,
                   const QMargins& margins = {});

// The pixels a line of the font takes, whole: the fractions of its ascent
// and descent rounded up rather than off.
int LinePixels(const QFont& font);

} // namespace tv
