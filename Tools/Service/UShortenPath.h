#pragma once
// Shortening a path to a width in pixels for display.

#include <string>

class QFont;
class QFontMetrics;

namespace tv {

// The path as it fits into width pixels in the font: unchanged when it fits;
// otherwise the end of the folder part is replaced by "..." before the last
// path delimiter ("/" or "\"), keeping as much of the folders' beginning as
// fits and the whole file name; when even "..." and the file name do not
// fit, that text is cut at its end and ends in "...". A text without
// delimiter is only cut at its end. The result is at least "..." (wider
// than width when width is too small for it).
std::string ShortenPath(const std::string& path, const QFontMetrics& metrics, int width);
std::string ShortenPath(const std::string& path, const QFont& font, int width);

} // namespace tv
