#include "UGradient.h"

#include "UException.h"

#include <QApplication>
#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>

namespace tv {

namespace {

constexpr int SampleWidth = 100;
constexpr int SampleHeight = 40;
constexpr int SampleColumn = 10;
constexpr int SampleFirstRow = 2;

TTriVertex VertexOf(const QColor& color)
{
    TTriVertex vertex;
    vertex.Red = static_cast<std::uint16_t>(color.red() << 8);
    vertex.Green = static_cast<std::uint16_t>(color.green() << 8);
    vertex.Blue = static_cast<std::uint16_t>(color.blue() << 8);
    return vertex;
}

QColor ColorOf(const TTriVertex& vertex) { return QColor(vertex.Red >> 8, vertex.Green >> 8, vertex.Blue >> 8); }

// Lightness in thousandths, kept whole so that equal colours compare equal.
int Lightness(QRgb pixel) { return 299 * qRed(pixel) + 587 * qGreen(pixel) + 114 * qBlue(pixel); }

QImage DrawCaption(QStyle* style, bool active)
{
    QImage sample(SampleWidth, SampleHeight, QImage::Format_RGB32);
    sample.fill(Qt::white);
    QStyleOptionTitleBar option;
    option.rect = QRect(0, 0, SampleWidth, SampleHeight);
    option.palette = QApplication::palette();
    option.palette.setCurrentColorGroup(active ? QPalette::Active : QPalette::Inactive);
    option.state = QStyle::State_Enabled | (active ? QStyle::State_Active : QStyle::State_None);
    option.titleBarState = active ? Qt::WindowActive : Qt::WindowNoState;
    option.titleBarFlags = Qt::Window | Qt::WindowTitleHint;
    option.subControls = QStyle::SC_TitleBarLabel;
    QPainter painter(&sample);
    style->drawComplexControl(QStyle::CC_TitleBar, &option, &painter);
    return sample;
}

class TBandKeeper : public QObject {
public:
    TBandKeeper(TGradienter* gradienter, QWidget* form, TImage* image)
        : QObject(form), FGradienter(gradienter), FForm(form), FImage(image)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!FImage) return false;
        switch (event->type()) {
        case QEvent::WindowActivate:
            FGradienter->PaintImage(FImage, true);
            break;
        case QEvent::WindowDeactivate:
            FGradienter->PaintImage(FImage, false);
            break;
        case QEvent::Paint:
            FGradienter->PaintImage(FImage, QGuiApplication::applicationState() == Qt::ApplicationActive);
            break;
        case QEvent::PaletteChange:
        case QEvent::ApplicationPaletteChange:
        case QEvent::StyleChange:
            FGradienter->Refresh();
            FGradienter->PaintImage(FImage, FForm->isActiveWindow());
            break;
        default:
            break;
        }
        return false;
    }

private:
    TGradienter* FGradienter;
    QWidget* FForm;
    QPointer<TImage> FImage;
};

} // namespace

TGradienter::TGradienter() : FVertices(4)
{
    LoadColors();
}

TGradienter::~TGradienter()
{
    for (const QPointer<QObject>& keeper : FKeepers) delete keeper.data();
}

void TGradienter::LoadColors()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        LoadThemeColors();
    else
        LoadSystemColors();
    FVertices[0] = VertexOf(FInactiveEnd);
    FVertices[1] = VertexOf(FInactiveStart);
    FVertices[2] = VertexOf(FActiveEnd);
    FVertices[3] = VertexOf(FActiveStart);
}

// Without widgets there is no style to ask: the highlight colours of the
// palette, as a plain band.
void TGradienter::LoadSystemColors()
{
    const QPalette palette = QGuiApplication::palette();
    FActiveStart = palette.color(QPalette::Active, QPalette::Highlight);
    FInactiveStart = palette.color(QPalette::Inactive, QPalette::Highlight);
    FActiveEnd = FActiveStart;
    FInactiveEnd = FInactiveStart;
}

void TGradienter::LoadThemeColors()
{
    QStyle* style = QApplication::style();
    SampleColors(DrawCaption(style, true), FActiveStart, FActiveEnd);
    SampleColors(DrawCaption(style, false), FInactiveStart, FInactiveEnd);
}

void TGradienter::SampleColors(const QImage& sample, QColor& start, QColor& end)
{
    TV_ASSERT(sample.width() > SampleColumn && sample.height() > SampleFirstRow, "Sample image is too small");
    QRgb darkest = sample.pixel(SampleColumn, SampleFirstRow);
    QRgb lightest = darkest;
    for (int row = SampleFirstRow + 1; row < sample.height(); ++row) {
        const QRgb pixel = sample.pixel(SampleColumn, row);
        if (Lightness(pixel) > Lightness(lightest)) lightest = pixel;
        if (Lightness(pixel) < Lightness(darkest)) darkest = pixel;
    }
    start = QColor(qRed(darkest), qGreen(darkest), qBlue(darkest));
    end = QColor(qRed(lightest), qGreen(lightest), qBlue(lightest));
}

QColor TGradienter::PairStart(bool active) const { return ColorOf(FVertices[active ? 3 : 1]); }
QColor TGradienter::PairEnd(bool active) const { return ColorOf(FVertices[active ? 2 : 0]); }

void TGradienter::PaintImage(TImage* image, bool active)
{
    QImage& canvas = image->Canvas();
    const QRect rect = canvas.rect();
    const int first = active ? 2 : 0;
    FVertices[first].x = rect.left();
    FVertices[first].y = rect.top();
    FVertices[first + 1].x = rect.right() + 1;
    FVertices[first + 1].y = rect.bottom() + 1;
    QLinearGradient gradient(0, rect.top() + 0.5, 0, rect.bottom() + 0.5);
    gradient.setColorAt(0, PairEnd(active));
    gradient.setColorAt(1, PairStart(active));
    QPainter painter(&canvas);
    painter.fillRect(rect, gradient);
    painter.end();
    image->Changed();
}

void TGradienter::PaintRect(QPainter& painter, bool active, const QRect& rect)
{
    const int first = active ? 2 : 0;
    FVertices[first].x = rect.right() + 1;
    FVertices[first].y = rect.top();
    FVertices[first + 1].x = rect.left();
    FVertices[first + 1].y = rect.bottom() + 1;
    QLinearGradient gradient(rect.left() + 0.5, 0, rect.right() + 0.5, 0);
    gradient.setColorAt(0, PairStart(active));
    gradient.setColorAt(1, PairEnd(active));
    painter.fillRect(rect, gradient);
}

void TGradienter::Refresh() { LoadColors(); }

void TGradienter::Attach(QWidget* form, TImage* image)
{
    auto* keeper = new TBandKeeper(this, form, image);
    form->installEventFilter(keeper);
    FKeepers.erase(std::remove_if(FKeepers.begin(), FKeepers.end(), [](const QPointer<QObject>& k) { return k.isNull(); }),
                   FKeepers.end());
    FKeepers.emplace_back(keeper);
}

} // namespace tv
