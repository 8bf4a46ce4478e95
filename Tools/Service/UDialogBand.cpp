#include "UDialogBand.h"

#include "UImage.h"

#include <QCoreApplication>
#include <QFrame>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace tv {

namespace {

constexpr int BandButtonWidth = 80;
constexpr int BandButtonHeight = 25;

std::vector<std::unique_ptr<TGlassGradienter>*>& LiveGradienters()
{
    // Never freed: the units' painters may outlive any other static.
    static auto* live = new std::vector<std::unique_ptr<TGlassGradienter>*>;
    return *live;
}

void FreeGradienters()
{
    auto& live = LiveGradienters();
    for (auto it = live.rbegin(); it != live.rend(); ++it) (*it)->reset();
    live.clear();
}

} // namespace

void SetupFixedDialog(QDialog* form, const char* name, int width, int height, bool whiteBack)
{
    form->setObjectName(name);
    QFont f = form->font();
    f.setPixelSize(11);
    form->setFont(f);
    form->setFixedSize(width, height);
    if (!whiteBack) return;
    QPalette pal = form->palette();
    pal.setColor(QPalette::Window, Qt::white);
    form->setPalette(pal);
    form->setAutoFillBackground(true);
}

void AddDialogBand(QWidget* form, TImage*& image, QFrame*& bevel)
{
    const int width = form->width();
    const int height = form->height();
    image = new TImage(form);
    image->setObjectName("Image");
    image->setGeometry(0, height - DialogBandHeight, width, DialogBandHeight);
    bevel = new QFrame(form);
    bevel->setObjectName("Bevel");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, height - DialogBandHeight - 2, width, 2);
}

QPushButton* AddBandButton(QWidget* form, const char* name, int fromRight, int fromBottom)
{
    auto* button = new QPushButton(form);
    button->setObjectName(name);
    button->setGeometry(form->width() - fromRight, form->height() - fromBottom, BandButtonWidth, BandButtonHeight);
    return button;
}

void SetAlertColor(QWidget* label)
{
    QPalette red = label->palette();
    red.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    label->setPalette(red);
}

TUnitGradienter::~TUnitGradienter()
{
    auto& live = LiveGradienters();
    live.erase(std::remove(live.begin(), live.end(), &FGradienter), live.end());
}

void TUnitGradienter::Attach(QWidget* form, TImage* image)
{
    if (!FGradienter) {
        if (LiveGradienters().empty()) qAddPostRoutine(FreeGradienters);
        FGradienter = std::make_unique<TGlassGradienter>();
        LiveGradienters().push_back(&FGradienter);
    }
    FGradienter->Attach(form, image);
}

} // namespace tv
