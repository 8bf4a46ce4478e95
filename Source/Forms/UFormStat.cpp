#include "UFormStat.h"

#include "UBoxFont.h"
#include "UDialogBand.h"
#include "UException.h"
#include "UImage.h"
#include "UMessages.h"
#include "UQtText.h"
#include "UStoreData.h"
#include "UStoreMessages.h"
#include "UTextConst.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace tv {

namespace {

constexpr int ClientWidth = 254;
constexpr int ClientHeight = 185;
TUnitGradienter StatGradienter;
const QMargins CaptionMargins(0, 0, 1, 0);

} // namespace

bool GetShownTotals(TStore& store, std::string& packages, std::string& quantity, std::string& value,
                    std::string& count)
{
    try {
        store.GetTotals(packages, quantity, value, count);
        return true;
    } catch (const EIntOverflow&) {
        packages.clear();
        quantity.clear();
        value.clear();
        count.clear();
        ShowOneButton(TextTable[SlotTotalTooHigh], TextTable[SlotSumCalculation], MB_ICONSTOP);
        return false;
    }
}

TFormStat::TFormStat(TStore* store, QWidget* parent)
    : QDialog(parent, FixedDialogFlags),
      FStore(store)
{
    TV_ASSERT(store != nullptr, "Not assigned TStore-object for the totals form");
    SetupFixedDialog(this, "FormStat", ClientWidth, ClientHeight, true);
    AddDialogBand(this, Image, Bevel);

    QFont big = font();
    big.setPixelSize(14);
    big.setBold(true);
    const auto pair = [&](const char* captionName, const char* valueName, int top, QLabel*& caption,
                          QLabel*& value) {
        caption = new QLabel(this);
        caption->setObjectName(captionName);
        caption->setGeometry(12, top, ClientWidth - 24, 14);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setTextFormat(Qt::PlainText);
        // A letter's ink may end a part of a pixel right of its advance.
        caption->setContentsMargins(CaptionMargins);
        value = new QLabel(this);
        value->setObjectName(valueName);
        value->setGeometry(12, top + 14, ClientWidth - 24, 18);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setTextFormat(Qt::PlainText);
        value->setFont(big);
    };
    pair("LbNamesText", "LbNames", 6, LbNamesText, LbNames);
    pair("LbWeightText", "LbWeight", 40, LbWeightText, LbWeight);
    pair("LbCountText", "LbCount", 74, LbCountText, LbCount);
    pair("LbSumText", "LbSum", 108, LbSumText, LbSum);

    BtnOK = AddBandButton(this, "BtnOK", 88);
    BtnOK->setDefault(true);
    BtnOK->setText("OK");
    connect(BtnOK, &QPushButton::clicked, this, &TFormStat::BtnOKClick);

    StatGradienter.Attach(this, Image);
    FormCreate();
}

void TFormStat::FormCreate() { ApplyLanguage(); }

void TFormStat::ApplyLanguage()
{
    setWindowTitle(ToQ(TextTable[SlotTotalsCaption]));
    BtnOK->setToolTip(ToQ(TextTable[SlotTotalsCloseHint]));
    LbNamesText->setText(ToQ(TextTable[SlotTotalsNames]));
    LbWeightText->setText(ToQ(TextTable[SlotTotalsQuantity]));
    LbCountText->setText(ToQ(TextTable[SlotTotalsPacks]));
    LbSumText->setText(ToQ(TextTable[SlotTotalsCost]));
    // The captions keep the dialog's family at the size that keeps the ink
    // of each inside its 14-pixel label, one size for the four.
    const QList<QLabel*> captions = {LbNamesText, LbWeightText, LbCountText, LbSumText};
    QStringList texts;
    for (const QLabel* l : captions) texts << l->text();
    // A line taller than the label is clipped to its contents: it must fit
    // there too.
    const QFont fitted = LargestFittingFont(font(), [&](const QFont& f) {
        return QFontMetrics(f).height() <= LbNamesText->contentsRect().height() &&
               FitFontToBox(f, texts, LbNamesText->size(), int(LbNamesText->alignment()),
                            LbNamesText->devicePixelRatioF(), CaptionMargins)
                       .pixelSize() == f.pixelSize();
    });
    for (QLabel* l : captions) l->setFont(fitted);
}

bool TFormStat::Refresh()
{
    std::string packages, quantity, value, count;
    const bool done = GetShownTotals(*FStore, packages, quantity, value, count);
    LbCount->setText(ToQ(packages));
    LbWeight->setText(ToQ(quantity));
    LbSum->setText(ToQ(value));
    LbNames->setText(ToQ(count));
    return done;
}

void TFormStat::BtnOKClick() { done(1); }

} // namespace tv
