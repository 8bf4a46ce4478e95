#pragma once
// A small PDF 1.4 writer for printed reports: pages of a given size, filled
// rectangles and one-line texts in embedded TrueType fonts (subset to the
// glyphs used, with a ToUnicode map so the text can be searched and copied).
// Coordinates are in points from the top left of the page. A page is written
// to the file when the next one begins, and never kept.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QFont;

namespace tv {

class TPdfWriter {
public:
    // Creates the file; raises when it cannot be created.
    TPdfWriter(const std::string& path, const std::string& title);
    // A document not finished is removed.
    ~TPdfWriter();
    TPdfWriter(const TPdfWriter&) = delete;
    TPdfWriter& operator=(const TPdfWriter&) = delete;

    // The font's TrueType face; the answer names it in the calls below.
    // Raises when the face has no TrueType outlines to embed.
    int AddFont(const QFont& font);
    // Ascent, descent (positive) and leading of the font's face in em, as
    // AddFont would embed it; false when it has no TrueType outlines.
    static bool FaceMetrics(const QFont& font, double& ascent, double& descent, double& leading);
    // Font metrics in em (multiply by the size).
    double Ascent(int font) const;
    double Descent(int font) const;
    double Leading(int font) const;
    // Advance width of the UTF-8 text in em.
    double Advance(int font, std::string_view text);
    // Bytes of the longest start of the text whose advance is at most
    // maxAdvance em (whole characters).
    size_t FittingPrefix(int font, std::string_view text, double maxAdvance);

    // Starts a page of the size in points (the one before is written).
    void NewPage(double width, double height);
    // Fills the rectangle with the colour 0xRRGGBB.
    void FillRect(double left, double top, double width, double height, uint32_t rgb);
    // Draws the text in black with its baseline at y, starting at x.
    void Text(double x, double baseline, int font, double size, std::string_view text);

    // Writes the rest of the document and closes the file; raises (with
    // the file removed) when the file cannot be written.
    void Finish();
    // Closes and removes the file; never raises.
    void Abort() noexcept;
    const std::string& Path() const { return FPath; }

private:
    struct TImpl;
    std::unique_ptr<TImpl> F;
    std::string FPath;
};

} // namespace tv
