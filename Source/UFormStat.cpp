#include "UFormStat.h"

#include "UException.h"
#include "UGlassGradient.h"
#include "UImage.h"
#include "UMessages.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <memory>

namespace tv {

namespace {

constexpr int ClientWidth = 254;
constexpr int ClientHeight = 185;
constexpr int BandHeight = 40;

std::unique_ptr<TGlassGradienter>& GradienterSlot()
{
    static std::unique_ptr<TGlassGradienter> gradienter;
    return gradienter;
}

TGlassGradienter& StatGradienter()
{
    auto& slot = GradienterSlot();
    if (!slot) {
        slot = std::make_unique<TGlassGradienter>();
        qAddPostRoutine([] { GradienterSlot().reset(); });
    }
    return *slot;
}

QString ToQ(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

TFormStat::TFormStat(TStore* store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      FStore(store)
{
    TV_ASSERT(store != nullptr, "Not assigned TStore-object for the totals form");
    setObjectName("FormStat");
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(ClientWidth, ClientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    Image = new TImage(this);
    Image->setObjectName("Image");
    Image->setGeometry(0, ClientHeight - BandHeight, ClientWidth, BandHeight);
    Bevel = new QFrame(this);
    Bevel->setObjectName("Bevel");
    Bevel->setFrameShape(QFrame::HLine);
    Bevel->setFrameShadow(QFrame::Sunken);
    Bevel->setGeometry(0, ClientHeight - BandHeight - 2, ClientWidth, 2);

    QFont big = f;
    big.setPixelSize(14);
    big.setBold(true);
    const auto pair = [&](const char* captionName, const char* valueName, int top, QLabel*& caption,
                          QLabel*& value) {
        caption = new QLabel(this);
        caption->setObjectName(captionName);
        caption->setGeometry(12, top, ClientWidth - 24, 14);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setTextFormat(Qt::PlainText);
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

    BtnOK = new QPushButton(this);
    BtnOK->setObjectName("BtnOK");
    BtnOK->setGeometry(ClientWidth - 88, ClientHeight - 33, 80, 25);
    BtnOK->setDefault(true);
    BtnOK->setText("OK");
    connect(BtnOK, &QPushButton::clicked, this, &TFormStat::BtnOKClick);

    StatGradienter().Attach(this, Image);
    FormCreate();
}

void TFormStat::FormCreate() { ApplyLanguage(); }

void TFormStat::ApplyLanguage()
{
    setWindowTitle(ToQ(TextTable[96]));
    BtnOK->setToolTip(ToQ(TextTable[97]));
    LbNamesText->setText(ToQ(TextTable[98]));
    LbWeightText->setText(ToQ(TextTable[101]));
    LbCountText->setText(ToQ(TextTable[99]));
    LbSumText->setText(ToQ(TextTable[100]));
}

bool TFormStat::Refresh()
{
    std::string packages, quantity, value, count;
    bool done = true;
    try {
        FStore->GetTotals(packages, quantity, value, count);
    } catch (const EIntOverflow&) {
        packages.clear();
        quantity.clear();
        value.clear();
        count.clear();
        done = false;
        ShowMessageBox(TextTable[29], TextTable[28], MB_ONEBUTTON | MB_ICONSTOP, "OK", TextTable[2]);
    }
    LbCount->setText(ToQ(packages));
    LbWeight->setText(ToQ(quantity));
    LbSum->setText(ToQ(value));
    LbNames->setText(ToQ(count));
    return done;
}

void TFormStat::BtnOKClick() { done(1); }

} // namespace tv
