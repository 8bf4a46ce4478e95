// The band colours sampled from the style's caption and the painting of the
// dialogs' band.

#include "UGlassGradient.h"
#include "UGradient.h"

#include "UException.h"

#include <QApplication>
#include <QCommonStyle>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

#include <memory>

using namespace tv;

namespace {

// Paints the caption in two halves: the highlight colour of the option's
// colour group made lighter above, the plain highlight colour below, with
// two black rows on top that the sampling must skip.
class TCaptionStyle : public QCommonStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        if (control != CC_TitleBar) return QCommonStyle::drawComplexControl(control, option, painter, widget);
        const QRect r = option->rect;
        const QColor highlight = option->palette.color(QPalette::Highlight);
        painter->fillRect(QRect(r.left(), r.top(), r.width(), r.height() / 2), highlight.lighter(140));
        painter->fillRect(QRect(r.left(), r.top() + r.height() / 2, r.width(), r.height() - r.height() / 2),
                          highlight);
        painter->fillRect(QRect(r.left(), r.top(), r.width(), 2), Qt::black);
    }
};

const QColor ActiveHighlight(32, 96, 160);
const QColor InactiveHighlight(128, 128, 128);

// The colour the style paints above, as an RGB colour.
QColor Lighter(const QColor& color) { return QColor(color.lighter(140).rgb()); }

QPalette FixedPalette()
{
    QPalette palette = std::unique_ptr<QStyle>(QStyleFactory::create("Fusion"))->standardPalette();
    palette.setColor(QPalette::Active, QPalette::Highlight, ActiveHighlight);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, InactiveHighlight);
    return palette;
}

// A 100 x 40 sample of one grey, column 10 then changed row by row.
QImage Sample(const QColor& fill, const std::vector<std::pair<int, QColor>>& rows)
{
    QImage image(100, 40, QImage::Format_RGB32);
    image.fill(fill);
    for (const auto& [row, color] : rows) image.setPixelColor(10, row, color);
    return image;
}

class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(int& count) : FCount(count) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++FCount;
        return false;
    }

private:
    int& FCount;
};

QColor Pixel(TImage& image, int x, int y) { return image.Canvas().pixelColor(x, y); }

} // namespace

class TestGradient : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QApplication::setStyle(new TCaptionStyle);
        QApplication::setPalette(FixedPalette());
    }

    void sampleColors_data()
    {
        QTest::addColumn<QImage>("sample");
        QTest::addColumn<QColor>("start");
        QTest::addColumn<QColor>("end");
        const QColor grey(120, 120, 120);
        // (40,40,40) and (25,49,33) are equally light, as are (200,200,200) and (185,209,193).
        QTest::newRow("darkest and lightest")
            << Sample(grey, {{20, QColor(100, 100, 100)}, {30, QColor(150, 150, 150)}})
            << QColor(100, 100, 100) << QColor(150, 150, 150);
        QTest::newRow("rows 0 and 1 are not sampled")
            << Sample(grey, {{0, Qt::black}, {1, Qt::white}}) << grey << grey;
        QTest::newRow("the last row is sampled")
            << Sample(grey, {{39, Qt::black}}) << QColor(Qt::black) << grey;
        QTest::newRow("only column 10 counts")
            << [&] {
                   QImage image = Sample(Qt::black, {});
                   for (int row = 0; row < 40; ++row) image.setPixelColor(10, row, grey);
                   return image;
               }()
            << grey << grey;
        QTest::newRow("equally dark: the upper one")
            << Sample(grey, {{10, QColor(25, 49, 33)}, {11, QColor(40, 40, 40)}})
            << QColor(25, 49, 33) << grey;
        QTest::newRow("equally dark, other order")
            << Sample(grey, {{10, QColor(40, 40, 40)}, {11, QColor(25, 49, 33)}})
            << QColor(40, 40, 40) << grey;
        QTest::newRow("equally light: the upper one")
            << Sample(grey, {{5, QColor(185, 209, 193)}, {6, QColor(200, 200, 200)}})
            << grey << QColor(185, 209, 193);
        QTest::newRow("the first sampled pixel is both until beaten")
            << Sample(grey, {{2, QColor(185, 209, 193)}, {3, QColor(200, 200, 200)}})
            << grey << QColor(185, 209, 193);
    }

    void sampleColors()
    {
        QFETCH(QImage, sample);
        QFETCH(QColor, start);
        QFETCH(QColor, end);
        QColor gotStart, gotEnd;
        TGradienter::SampleColors(sample, gotStart, gotEnd);
        QCOMPARE(gotStart, start);
        QCOMPARE(gotEnd, end);
    }

    void colorsFromTheStyleCaptionOfThePalette()
    {
        TGradienter gradienter;
        QCOMPARE(gradienter.ActiveStart(), ActiveHighlight);
        QCOMPARE(gradienter.ActiveEnd(), Lighter(ActiveHighlight));
        QCOMPARE(gradienter.InactiveStart(), InactiveHighlight);
        QCOMPARE(gradienter.InactiveEnd(), Lighter(InactiveHighlight));
        // Vertices: inactive end, inactive start, active end, active start; channels times 256.
        QCOMPARE(gradienter.Vertex(3).Red, std::uint16_t(32 << 8));
        QCOMPARE(gradienter.Vertex(3).Green, std::uint16_t(96 << 8));
        QCOMPARE(gradienter.Vertex(3).Blue, std::uint16_t(160 << 8));
        QCOMPARE(gradienter.Vertex(3).Alpha, std::uint16_t(0));
        QCOMPARE(gradienter.Vertex(1).Red, std::uint16_t(128 << 8));
        QCOMPARE(gradienter.Vertex(0).Red, std::uint16_t(Lighter(InactiveHighlight).red() << 8));
    }

    void paintImageIsVerticalPaintRectHorizontal_data()
    {
        QTest::addColumn<bool>("active");
        QTest::newRow("active") << true;
        QTest::newRow("inactive") << false;
    }

    void paintImageIsVerticalPaintRectHorizontal()
    {
        QFETCH(bool, active);
        TGradienter gradienter;
        const QColor start = active ? gradienter.ActiveStart() : gradienter.InactiveStart();
        const QColor end = active ? gradienter.ActiveEnd() : gradienter.InactiveEnd();
        TImage image;
        image.resize(120, 40);
        gradienter.PaintImage(&image, active);
        QCOMPARE(image.Canvas().size(), QSize(120, 40));
        QCOMPARE(Pixel(image, 0, 0), end);
        QCOMPARE(Pixel(image, 119, 0), end);
        QCOMPARE(Pixel(image, 60, 39), start);
        const QColor middle = Pixel(image, 60, 20);
        QVERIFY(middle != start && middle != end);

        QImage area(50, 30, QImage::Format_RGB32);
        area.fill(Qt::white);
        QPainter painter(&area);
        gradienter.PaintRect(painter, active, QRect(10, 5, 30, 20));
        painter.end();
        QCOMPARE(area.pixelColor(10, 5), start);
        QCOMPARE(area.pixelColor(39, 24), end);
        QCOMPARE(area.pixelColor(9, 5), QColor(Qt::white));
        QCOMPARE(area.pixelColor(40, 5), QColor(Qt::white));
    }

    // This style paints its caption as a horizontal gradient: column 10 is
    // one colour, so the band is plain, as with gradient captions off.
    void styleWithoutVerticalGradientGivesAPlainBand()
    {
        QApplication::setStyle(QStyleFactory::create("Windows"));
        QApplication::setPalette(FixedPalette());
        TGradienter gradienter;
        QCOMPARE(gradienter.ActiveStart(), gradienter.ActiveEnd());
        QCOMPARE(gradienter.InactiveStart(), gradienter.InactiveEnd());
        QVERIFY(gradienter.ActiveStart() != gradienter.InactiveStart());
        TImage image;
        image.resize(100, 40);
        gradienter.PaintImage(&image, true);
        for (int y = 0; y < 40; y += 13) QCOMPARE(Pixel(image, 50, y), gradienter.ActiveStart());
    }

    void dialogBandFollowsActivationAndPalette()
    {
        QDialog dialog;
        dialog.resize(300, 200);
        auto* bevel = new QFrame(&dialog);
        bevel->setObjectName("Bevel");
        bevel->setFrameShape(QFrame::HLine);
        bevel->setVisible(false);
        auto* image = new TImage(&dialog);
        image->setGeometry(0, 160, 300, 40);
        TGlassGradienter gradienter;
        QVERIFY(!gradienter.GlassManager().Enabled);
        gradienter.Attach(&dialog, image);

        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&dialog, &activate);
        QCOMPARE(Pixel(*image, 150, 0), Lighter(ActiveHighlight));
        QCOMPARE(Pixel(*image, 150, 39), ActiveHighlight);
        QVERIFY(!bevel->isHidden());

        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&dialog, &deactivate);
        QCOMPARE(Pixel(*image, 150, 39), InactiveHighlight);

        QPalette changed = FixedPalette();
        changed.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0, 128, 0));
        QApplication::setPalette(changed);
        QCoreApplication::processEvents();
        QCOMPARE(gradienter.InactiveStart(), QColor(0, 128, 0));
        QCOMPARE(Pixel(*image, 150, 39), QColor(0, 128, 0));
    }

    // Under composition the band is the colour key, painted once per form
    // window and kept over activation changes, with the bevel hidden; when
    // composition has ended, the next colour change brings back the bevel
    // and the gradient.
    void glassBandUntilCompositionEnds()
    {
        const auto makeDialog = [](QDialog& dialog, QFrame*& bevel, TImage*& image) {
            dialog.resize(300, 200);
            bevel = new QFrame(&dialog);
            bevel->setObjectName("Bevel");
            image = new TImage(&dialog);
            image->setGeometry(0, 160, 300, 40);
        };
        QDialog dialog, other;
        QFrame *bevel, *otherBevel;
        TImage *image, *otherImage;
        makeDialog(dialog, bevel, image);
        makeDialog(other, otherBevel, otherImage);
        TGlassGradienter gradienter;
        gradienter.GlassManager().Enabled = true;
        gradienter.Attach(&dialog, image);

        QEvent activate(QEvent::WindowActivate);
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&dialog, &activate);
        QCOMPARE(Pixel(*image, 150, 0), GlassColorKey);
        QCOMPARE(Pixel(*image, 150, 39), GlassColorKey);
        QVERIFY(bevel->isHidden());
        image->Canvas().fill(Qt::white);
        QCoreApplication::sendEvent(&dialog, &deactivate);
        QCoreApplication::sendEvent(&dialog, &activate);
        QCOMPARE(Pixel(*image, 150, 39), QColor(Qt::white));

        // Another form is prepared anew.
        gradienter.PaintImage(otherImage, true);
        QCOMPARE(Pixel(*otherImage, 150, 39), GlassColorKey);
        QVERIFY(otherBevel->isHidden());

        gradienter.Refresh();  // composition read again: off on this desktop
        QVERIFY(!gradienter.GlassManager().Enabled);
        QCoreApplication::sendEvent(&dialog, &activate);
        QVERIFY(!bevel->isHidden());
        QCOMPARE(Pixel(*image, 150, 0), Lighter(ActiveHighlight));
        QCOMPARE(Pixel(*image, 150, 39), ActiveHighlight);
        QCoreApplication::sendEvent(&dialog, &deactivate);
        QCOMPARE(Pixel(*image, 150, 39), InactiveHighlight);
    }

    // Painting the band from the form's own painting must not make the
    // form paint again and again.
    void shownDialogPaintsItsBandAndSettles()
    {
        QDialog dialog;
        dialog.resize(300, 200);
        auto* image = new TImage(&dialog);
        image->setGeometry(0, 160, 300, 40);
        TGlassGradienter gradienter;
        gradienter.Attach(&dialog, image);
        int paints = 0;
        TPaintCounter counter(paints);
        dialog.installEventFilter(&counter);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(200);
        QVERIFY(paints >= 1);
        QVERIFY2(paints < 10, qPrintable(QString("%1 paints").arg(paints)));
        const QColor bottom = Pixel(*image, 150, 39);
        QVERIFY(bottom == ActiveHighlight || bottom == InactiveHighlight);
    }

    void bevelIsTheFirstPlainFrameNamedBevel()
    {
        QDialog dialog;
        auto* label = new QLabel(&dialog);
        label->setObjectName("Bevel");
        label->setVisible(false);
        auto* other = new QFrame(&dialog);
        other->setObjectName("bevel");
        other->setVisible(false);
        auto* bevel = new QFrame(&dialog);
        bevel->setObjectName("Bevel");
        bevel->setVisible(false);
        auto* image = new TImage(&dialog);
        image->resize(100, 40);
        TGlassGradienter gradienter;
        gradienter.PaintImage(image, true);
        QVERIFY(!bevel->isHidden());
        QVERIFY(label->isHidden());
        QVERIFY(other->isHidden());
    }

    void assertions()
    {
        TGlassGradienter gradienter;
        TImage loose;
        loose.resize(100, 40);
        try {
            gradienter.PaintImage(&loose, true);
            QFAIL("an image without a form was painted");
        } catch (const EAssertionFailed& e) {
            QCOMPARE(e.Text(), std::string("image.Owner myst be TForm type"));
        }
        TGlassManager manager;
        QVERIFY(!manager.Enabled);
        QDialog dialog;
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, manager.ExtendFrame(&dialog, 40));
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, manager.SetColorKey(&dialog, GlassColorKey));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestGradient test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestQGradient.moc"
