#include "UWidthChanger.h"

#include <algorithm>

#include "UException.h"

namespace tv {

TWidthChanger::TWidthChanger(TWidthSections* Sections) : FSections(Sections) {
    TV_ASSERT(Sections != nullptr, "OwnerSections param must be assigned");
    TV_ASSERT(Sections->Count() >= 1, "OwnerSections param must have Sections");
    FMinWidth = Sections->MinWidth(0);
    FNodes.resize(static_cast<size_t>(Sections->Count()));
    Capture();
}

void TWidthChanger::Capture() {
    FWalk = 0;
    FTotalBase = 0;
    FTotalWidth = 0;
    for (size_t i = 0; i < FNodes.size(); ++i) {
        TWidthNode& node = FNodes[i];
        const int width = std::max(FSections->Width(static_cast<int>(i)), 0);
        node.Index = static_cast<int>(i);
        node.BaseWidth = static_cast<uint32_t>(width);
        node.Accumulator = node.BaseWidth;
        node.Width = width;
        FTotalBase += node.BaseWidth;
        FTotalWidth += std::max(width, FMinWidth);
    }
}

void TWidthChanger::Reset() {
    TV_ASSERT(!FNodes.empty(), "Separate Machine must be assigned");
    TV_ASSERT(FSections != nullptr, "Sections must be assigned");
    Capture();
}

void TWidthChanger::SetTotalWidth(int Width) {
    if (Width < FTotalWidth)
        Shrink(FTotalWidth - Width);
    else if (Width > FTotalWidth)
        Grow(Width - FTotalWidth);
}

// With a zero total base every visited node takes a pixel, in Grow and
// in Shrink alike, so the two stay exact inverses.
void TWidthChanger::Grow(int Pixels) {
    const int count = static_cast<int>(FNodes.size());
    while (Pixels > 0) {
        TWidthNode& node = FNodes[static_cast<size_t>(FWalk)];
        node.Accumulator += node.BaseWidth;
        if (node.Accumulator >= FTotalBase) {
            node.Accumulator -= FTotalBase;
            ++node.Width;
            if (node.Width > FMinWidth) {
                ++FTotalWidth;
                --Pixels;
            }
        }
        FWalk = (FWalk + 1) % count;
    }
}

// Only pixels above the minimum can be taken away; asking for more would
// never finish, so the request is limited to what the sections can give.
void TWidthChanger::Shrink(int Pixels) {
    const int count = static_cast<int>(FNodes.size());
    Pixels = std::min(Pixels, FTotalWidth - count * FMinWidth);
    while (Pixels > 0) {
        FWalk = (FWalk + count - 1) % count;
        TWidthNode& node = FNodes[static_cast<size_t>(FWalk)];
        if (FTotalBase == 0 || node.Accumulator < node.BaseWidth) {
            node.Accumulator += FTotalBase - node.BaseWidth;
            --node.Width;
            if (node.Width >= FMinWidth) {
                --FTotalWidth;
                --Pixels;
            }
        } else {
            node.Accumulator -= node.BaseWidth;
        }
    }
}

int TWidthChanger::GetWidth(int Index) const {
    TV_ASSERT(FSections != nullptr, "WidthChanger sections must be assigned");
    TV_ASSERT(Index >= 0 && Index < static_cast<int>(FNodes.size()), "Invalid section index");
    return std::max(FNodes[static_cast<size_t>(Index)].Width, FMinWidth);
}

bool TWidthChanger::Resize(int Width) {
    SetTotalWidth(Width);
    bool changed = false;
    for (int i = 0; i < static_cast<int>(FNodes.size()); ++i) {
        const int width = GetWidth(i);
        if (FSections->Width(i) != width) {
            FSections->SetWidth(i, width);
            changed = true;
        }
    }
    return changed;
}

int TWidthChanger::BorderChange(const TWidthSections& Sections, int Index, int NewWidth) {
    if (Index < 0 || Index >= Sections.Count() - 1)
        return 0;
    const int width = Sections.Width(Index);
    const int next = Sections.Width(Index + 1);
    int change = NewWidth - width;
    if (next - change < MinDragWidth)
        change = next - MinDragWidth;
    if (width + change < MinDragWidth)
        change = MinDragWidth - width;
    return change;
}

bool TWidthChanger::MoveBorder(int Index, int Change) {
    if (Index < 0 || Index >= FSections->Count() - 1)
        return false;
    FSections->SetWidth(Index, FSections->Width(Index) + Change);
    FSections->SetWidth(Index + 1, FSections->Width(Index + 1) - Change);
    Reset();
    return true;
}

} // namespace tv
