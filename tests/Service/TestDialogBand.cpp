// The band painter of a dialog unit under successive application objects.

#include "UDialogBand.h"

#include "UGlassGradient.h"
#include "UImage.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace tv;

namespace {

std::unique_ptr<QApplication> MakeApp()
{
    static int argc = 1;
    static char name[] = "TestDialogBand";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

// Shows a dialog with a band kept by the painter; true when the band shows
// the gradient's active or inactive end colour at its top.
bool BandPainted(TUnitGradienter& painter)
{
    QDialog form(nullptr, FixedDialogFlags);
    SetupFixedDialog(&form, "Form", 200, 100, true);
    TImage* image = nullptr;
    QFrame* bevel = nullptr;
    AddDialogBand(&form, image, bevel);
    AddBandButton(&form, "BtnOK", 88);
    painter.Attach(&form, image);
    form.show();
    QApplication::processEvents();
    const QColor top = image->grab().toImage().pixelColor(0, 0);
    const TGlassGradienter colours;
    return top == colours.ActiveEnd() || top == colours.InactiveEnd();
}

} // namespace

TEST(DialogBand, UnitPainterServesEachApplicationInTurn)
{
    static TUnitGradienter painter;
    for (int round = 0; round < 2; ++round) {
        auto app = MakeApp();
        EXPECT_TRUE(BandPainted(painter)) << "round " << round;
        EXPECT_TRUE(BandPainted(painter)) << "second form, round " << round;
    }
}

TEST(DialogBand, PainterGoneBeforeTheApplicationIsNotFreedAgain)
{
    auto app = MakeApp();
    {
        TUnitGradienter shortLived;
        EXPECT_TRUE(BandPainted(shortLived));
    }
    TUnitGradienter other;
    EXPECT_TRUE(BandPainted(other));
    app.reset();
    auto next = MakeApp();
    EXPECT_TRUE(BandPainted(other));
}
