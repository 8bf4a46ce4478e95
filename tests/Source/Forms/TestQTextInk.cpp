// The look tests' ink measure draws each text where its control draws it:
// inside what the control shows, its ink is the ink on the screen, and what
// a box cuts off is counted, under each font set-up and screen scale.

#include "FontSetups.h"
#include "TextInk.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace tv;

namespace {

// The control on a white window, black text.
std::unique_ptr<QWidget> Window(const QString& kind, const QRect& geometry, const QString& text, int alignment,
                                bool wrap)
{
    auto window = std::make_unique<QWidget>();
    window->resize(400, 120);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    QFont font = window->font();
    font.setPixelSize(11);
    window->setFont(font);
    QWidget* control = nullptr;
    if (kind == "label") {
        auto* label = new QLabel(text, window.get());
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::Alignment(alignment));
        label->setWordWrap(wrap);
        control = label;
    } else if (kind == "check box") {
        control = new QCheckBox(text, window.get());
    } else {
        control = new QPushButton(text, window.get());
    }
    control->setObjectName("Control");
    control->setGeometry(geometry);
    window->show();
    return window;
}

// The ink pixels of a grab at the threshold the measure takes: a quarter
// of the way from the face (white, or a button's) to black.
QImage ScreenInk(const QImage& shown)
{
    int face = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) face = std::max(face, qGray(shown.pixel(x, y)));
    QImage ink(shown.size(), QImage::Format_Mono);
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) ink.setPixel(x, y, face - qGray(shown.pixel(x, y)) >= face / 4);
    return ink;
}

} // namespace

class TestQTextInk : public QObject {
    Q_OBJECT

private slots:
    void measuresWhatShows_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<bool>("cut");
        const QString two = "Програма обліку товарів у магазині, складі та кіоску, з цінами й залишками";
        QTest::newRow("label whole") << "label" << QRect(10, 10, 330, 40) << "Шоколад молочний, 13 шт."
                                     << int(Qt::AlignLeft | Qt::AlignTop) << false << false;
        QTest::newRow("label two lines whole") << "label" << QRect(10, 10, 321, 60) << two
                                               << int(Qt::AlignLeft | Qt::AlignTop) << true << false;
        QTest::newRow("label second line cut") << "label" << QRect(10, 10, 321, 20) << two
                                               << int(Qt::AlignLeft | Qt::AlignTop) << true << true;
        QTest::newRow("label centred, cut above and below")
            << "label" << QRect(10, 10, 321, 18) << "Файл існує\n/home/shop/tarnovell\nЗамінити?"
            << int(Qt::AlignCenter) << false << true;
        QTest::newRow("label cut at its right") << "label" << QRect(10, 10, 60, 20) << "Рядок, що довший за мітку"
                                                << int(Qt::AlignLeft | Qt::AlignVCenter) << false << true;
        QTest::newRow("check box") << "check box" << QRect(10, 10, 281, 17) << "Створити ярлик на робочому столі"
                                   << 0 << false << false;
        QTest::newRow("check box cut") << "check box" << QRect(10, 10, 80, 17) << "Створити ярлик на робочому столі"
                                       << 0 << false << true;
        QTest::newRow("button") << "button" << QRect(10, 10, 75, 25) << "Далі >" << 0 << false << false;
        QTest::newRow("button cut") << "button" << QRect(10, 10, 40, 25) << "Встановити" << 0 << false << true;
    }
    void measuresWhatShows()
    {
        QFETCH(QString, kind);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(int, alignment);
        QFETCH(bool, wrap);
        QFETCH(bool, cut);
        const std::unique_ptr<QWidget> window = Window(kind, geometry, text, alignment, wrap);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* control = window->findChild<QWidget*>("Control");
        testkit::TDrawnText drawn;
        QVERIFY(testkit::DrawnTextOf(*control, drawn));
        testkit::TInk ink;
        QVERIFY(testkit::ControlInk(*control, ink));
        QVERIFY(ink.Total > 0);
        QCOMPARE(ink.Outside > 0, cut);
        QCOMPARE(testkit::InkFaults(*window).size(), cut ? 1 : 0);

        // Pixel by pixel inside the box, the drawing is the screen's; but a
        // text taller than a box it is centred in loses its lines beyond
        // the box on the screen, and what is left shifts.
        if (cut && (alignment & Qt::AlignVCenter) && drawn.Text.contains('\n')) return;
        // A button's frame runs along its text box: the box less 3 px.
        const QRect box = (drawn.Box & control->rect()).adjusted(3, 3, -3, -3);
        const QImage drawing = testkit::InkImage(*control, drawn.Box, drawn.Flags, drawn.Text, box);
        const QImage shown = ScreenInk(control->grab(box).toImage().convertToFormat(QImage::Format_RGB32));
        QCOMPARE(drawing.size(), shown.size());
        int differ = 0;
        int onScreen = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                onScreen += shown.pixelIndex(x, y);
                if ((shown.pixelIndex(x, y) == 1) != testkit::IsInk(drawing.pixel(x, y))) ++differ;
            }
        // A button's face is shaded: its edge pixels may differ.
        QVERIFY2(differ * (kind == "button" ? 10 : 50) <= onScreen,
                 qPrintable(QString("%1 of %2 pixels differ").arg(differ).arg(onScreen)));
    }

    // A label whose line fits its contents is drawn unclipped, so an italic
    // letter's ink past its advance shows in the label's margin; one whose
    // line is taller than its contents is clipped to them. What the measure
    // counts as shown is what the screen shows.
    void countsWhatThePainterClips_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("clipped");
        QTest::newRow("line within the label") << 80 << false << false;
        QTest::newRow("line within the label, italic") << 80 << true << false;
        QTest::newRow("line taller than the label") << 30 << false << true;
        QTest::newRow("line taller than the label, italic") << 30 << true << true;
    }
    void countsWhatThePainterClips()
    {
        QFETCH(int, height);
        QFETCH(bool, italic);
        QFETCH(bool, clipped);
        const QString text = "Кількість, ff";
        const int flags = int(Qt::AlignRight | Qt::AlignVCenter);
        const std::unique_ptr<QWidget> window = Window("label", QRect(10, 10, 390, height), text, flags, false);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* label = window->findChild<QLabel*>("Control");
        // Large, so that an italic letter's ink passes its advance by pixels.
        QFont font = label->font();
        font.setPixelSize(40);
        font.setItalic(italic);
        label->setFont(font);
        // The text ends on the contents' right edge, 16 px short of the label's.
        constexpr int Margin = 16;
        const QRectF natural = QFontMetricsF(font).boundingRect(QRectF(0, 0, 1000, height), flags, text);
        label->setContentsMargins(0, 0, Margin, 0);
        label->resize(qCeil(natural.width()) + Margin, height);
        QCoreApplication::processEvents();
        testkit::TInk ink;
        QVERIFY(testkit::ControlInk(*label, ink));
        const QImage shown = ScreenInk(label->grab().toImage().convertToFormat(QImage::Format_RGB32));
        const int marginStart = qRound(label->contentsRect().width() * label->devicePixelRatioF());
        int onScreen = 0;
        int inMargin = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                onScreen += shown.pixelIndex(x, y);
                if (x >= marginStart) inMargin += shown.pixelIndex(x, y);
            }
        if (clipped) {
            QCOMPARE(inMargin, 0);
            QVERIFY(ink.Outside > 0);
        } else {
            QCOMPARE(ink.Outside, 0);
            if (italic) QVERIFY2(inMargin > 0, "the italic f shows past its advance");
        }
        const int measured = ink.Total - ink.Outside;
        QVERIFY2(qAbs(measured - onScreen) * 50 <= onScreen,
                 qPrintable(QString("%1 shown, %2 measured as shown").arg(onScreen).arg(measured)));
    }
};

int main(int argc, char** argv)
{
    return testkit::RunUnderFontSetups(argc, argv, [](int argc, char** argv) {
        QApplication app(argc, argv);
        TestQTextInk test;
        return QTest::qExec(&test, argc, argv);
    }, {"1", "2"});
}

#include "TestQTextInk.moc"
