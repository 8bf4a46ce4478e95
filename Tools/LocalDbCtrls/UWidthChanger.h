#pragma once
// Proportional spreading of a header's section widths over the header's
// width, and the limits of dragging a border between two sections.

#include <cstdint>
#include <vector>

namespace tv {

// The header's sections as the changer sees them. A section may keep a
// minimum of its own when a width is set.
class TWidthSections {
public:
    virtual ~TWidthSections() = default;
    virtual int Count() const = 0;
    virtual int Width(int Index) const = 0;
    virtual void SetWidth(int Index, int Width) = 0;
    virtual int MinWidth(int Index) const = 0;
};

// Spreads pixels one at a time by error accumulation, so that each section
// receives them at the rate of its base width over the total base width.
// Growing by k pixels and then shrinking by k gives back the same widths.
// The sections are not owned and must outlive the changer.
class TWidthChanger {
public:
    // Requires Sections with at least one section. The smallest visible
    // width is the minimum of section 0; the present widths become the base.
    explicit TWidthChanger(TWidthSections* Sections);

    TWidthChanger(const TWidthChanger&) = delete;
    TWidthChanger& operator=(const TWidthChanger&) = delete;

    // The present section widths become the base of later spreading.
    void Reset();

    // Grows or shrinks the sum of the visible widths to Width. The sum
    // never shrinks below the minimum width per section.
    void SetTotalWidth(int Width);

    // The visible width of section Index: its spread width, at least the
    // minimum. Index must lie in 0 .. count - 1.
    int GetWidth(int Index) const;

    int TotalWidth() const { return FTotalWidth; }
    int MinWidth() const { return FMinWidth; }

    // SetTotalWidth, then every section whose width differs from GetWidth
    // takes that width. Returns whether any section changed.
    bool Resize(int Width);

    // The change of section Index's width that a drag of its right border
    // to NewWidth may make: limited so that neither it nor the next section
    // becomes narrower than MinDragWidth; 0 for the last section.
    static int BorderChange(const TWidthSections& Sections, int Index, int NewWidth);

    // Section Index grows by Change and the next section shrinks by it,
    // then Reset. Ignored (false) for the last section or beyond.
    bool MoveBorder(int Index, int Change);

    static constexpr int MinDragWidth = 12;

private:
    struct TWidthNode {
        int Index;
        uint32_t BaseWidth;
        uint32_t Accumulator;
        int Width;  // may fall below the minimum
    };

    void Capture();
    void Grow(int Pixels);
    void Shrink(int Pixels);

    TWidthSections* FSections;
    std::vector<TWidthNode> FNodes;  // a ring in section order
    int FWalk = 0;
    uint32_t FTotalBase = 0;
    int FTotalWidth = 0;
    int FMinWidth = 0;
};

} // namespace tv
