// Shortening a path to a width in pixels, measured with the font.

#include "UShortenPath.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QTest>

using namespace tv;

class TestShortenPath : public QObject {
    Q_OBJECT

private slots:
    void shortenPath_data()
    {
        // The width is that of widthText plus extra pixels; rows whose result
        // is shortened give the result itself as widthText, so that one more
        // character would not fit.
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("widthText");
        QTest::addColumn<int>("extra");
        QTest::addColumn<QString>("expected");
        const QString path = "/home/shop/old/data.csv";
        QTest::newRow("fits exactly") << path << path << 0 << path;
        QTest::newRow("fits with room") << path << path << 50 << path;
        QTest::newRow("folders cut at their end") << path << "/home/sh.../data.csv" << 0 << "/home/sh.../data.csv";
        QTest::newRow("only the file name stays") << path << ".../data.csv" << 0 << ".../data.csv";
        QTest::newRow("file name cut at its end")
            << "/home/averyverylongfilename.csv" << ".../avery..." << 0 << ".../avery...";
        QTest::newRow("no delimiter") << "averyverylongfilename.csv" << "averyv..." << 0 << "averyv...";
        QTest::newRow("delimiter only at the start") << "/averyverylongname.csv" << "/avery..." << 0 << "/avery...";
        QTest::newRow("backslash delimiters")
            << "C:\\Shop\\Old\\store.dat" << "C:\\Sh...\\store.dat" << 0 << "C:\\Sh...\\store.dat";
        QTest::newRow("last of mixed delimiters")
            << "C:\\Shop/Old\\store.dat" << "C:\\Shop/...\\store.dat" << 0 << "C:\\Shop/...\\store.dat";
        QTest::newRow("cyrillic folders")
            << "/home/Склад/Данные/store.dat" << "/home/Скл.../store.dat" << 0 << "/home/Скл.../store.dat";
        QTest::newRow("too narrow for anything") << path << "" << 1 << "...";
        QTest::newRow("zero width") << path << "" << 0 << "...";
        QTest::newRow("empty path") << "" << "" << 0 << "";
    }

    void shortenPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, widthText);
        QFETCH(int, extra);
        QFETCH(QString, expected);
        const QFont font("DejaVu Sans", 10);
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(widthText) + extra;
        const std::string result = ShortenPath(path.toStdString(), font, width);
        QCOMPARE(QString::fromStdString(result), expected);
        if (expected != "...") QVERIFY(metrics.horizontalAdvance(QString::fromStdString(result)) <= width);
    }
};

QTEST_MAIN(TestShortenPath)
#include "TestQShortenPath.moc"
