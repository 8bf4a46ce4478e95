#pragma once
// What the program's fixed-size dialogs share: their window flags, font and
// size, the band image at the bottom with the bevel line above it, the
// buttons placed on the band, and one band painter per dialog unit.

#include "UGlassGradient.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <string>

class QFrame;
class QPushButton;
class QWidget;

namespace tv {

class TImage;

// A fixed-size dialog with a caption and a close button only.
inline constexpr Qt::WindowFlags FixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                    Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                                    Qt::CustomizeWindowHint;

inline constexpr int DialogBandHeight = 40;

// Names the dialog, gives it the 11-px font and fixes its client area at
// width x height; where `whiteBack`, the background is filled white.
void SetupFixedDialog(QDialog* form, const char* name, int width, int height, bool whiteBack);

// Adds the band image "Image" along the bottom of the form and the bevel
// line "Bevel" right above it. The form must already have its final size.
void AddDialogBand(QWidget* form, TImage*& image, QFrame*& bevel);

// Adds an 80 x 25 button whose left edge is `fromRight` px from the form's
// right edge and whose top is `fromBottom` px above its bottom edge.
QPushButton* AddBandButton(QWidget* form, const char* name, int fromRight, int fromBottom = 33);

// Shows the label's text in the dark red of failures and warnings.
void SetAlertColor(QWidget* label);

// The painter of one dialog unit's bands: made on first use, freed with the
// application object and made again under a later one.
class TUnitGradienter {
public:
    constexpr TUnitGradienter() = default;
    TUnitGradienter(const TUnitGradienter&) = delete;
    TUnitGradienter& operator=(const TUnitGradienter&) = delete;
    ~TUnitGradienter();

    // Keeps the band image of the form painted (TGradienter::Attach).
    void Attach(QWidget* form, TImage* image);

private:
    std::unique_ptr<TGlassGradienter> FGradienter;
};

} // namespace tv
