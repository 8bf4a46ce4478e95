// The PDF writer's files read back with poppler's tools: the texts as
// written (escaped glyph bytes, Cyrillic, the ellipsis), the page count and
// size, the embedded fonts; and files that cannot be written leave nothing.

#include "UException.h"
#include "UPdfWriter.h"

#include <QFile>
#include <QFont>
#include <QProcess>
#include <QRawFont>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace tv;

namespace {

QString Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList PdfPages(const QString& file)
{
    QString text = Run("pdftotext", {"-layout", file, "-"});
    if (text.endsWith('\f'))
        text.chop(1);
    return text.split('\f');
}

bool Escaped(quint32 glyph)
{
    for (const quint32 b : {glyph >> 8, glyph & 0xFF})
        if (b == '(' || b == ')' || b == '\\' || b == '\r')
            return true;
    return false;
}

// A letter of the font whose glyph id has a byte that needs escaping in a
// string.
QString LetterWithEscapedGlyph(const QFont& font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    for (ushort c = 0x41; c < 0x500; ++c) {
        if (!QChar(c).isLetter())
            continue;
        const QList<quint32> ids = raw.glyphIndexesForString(QString(QChar(c)));
        if (!ids.isEmpty() && ids.front() != 0 && Escaped(ids.front()))
            return QString(QChar(c));
    }
    return {};
}

} // namespace

class TestQPdfWriter : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

private slots:
    void TextsReadBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("cyrillic") << "Товар Молоко 2,5%";
        QTest::newRow("ukrainian") << "ґанок є їжак і Ґ Є Ї І";
        QTest::newRow("quote paren backslash") << "a (b) \"c\" 'd' \\e\\";
        QTest::newRow("ellipsis") << "Довга назва…";
        const QString letter = LetterWithEscapedGlyph(QFont("Arial", 9));
        QVERIFY(!letter.isEmpty());
        QTest::newRow("escaped glyph id") << ("x" + letter + letter + "y");
    }
    void TextsReadBack()
    {
        QFETCH(QString, text);
        const QString file = FDir.filePath("text.pdf");
        {
            TPdfWriter w(file.toStdString(), "Texts");
            const int regular = w.AddFont(QFont("Arial", 9));
            const int bold = w.AddFont(QFont("Arial", 9, QFont::Bold));
            w.NewPage(595.28, 841.89);
            w.FillRect(40, 90, 500, 14, 0xF7F7F7);
            w.Text(40, 100, regular, 9, text.toStdString());
            w.NewPage(595.28, 841.89);
            w.Text(40, 100, bold, 12, text.toStdString());
            w.Finish();
        }
        const QStringList pages = PdfPages(file);
        QCOMPARE(pages.size(), 2);
        for (const QString& page : pages)
            QCOMPARE(page.trimmed(), text);
    }

    void PagesFontsAndInfo()
    {
        const QString file = FDir.filePath("pages.pdf");
        {
            TPdfWriter w(file.toStdString(), "Список товарів");
            const int fonts[] = {w.AddFont(QFont("Arial", 8, QFont::Normal, true)),
                                 w.AddFont(QFont("Arial", 9, QFont::Bold)),
                                 w.AddFont(QFont("Arial", 9))};
            for (int page = 0; page < 3; ++page) {
                w.NewPage(842, 595);
                for (int f : fonts)
                    w.Text(30, 40 + 20 * f, f, 9, "Сторінка " + std::to_string(page + 1));
            }
            w.Finish();
        }
        const QString info = Run("pdfinfo", {file});
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+3\\n")), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression("Page size:\\s+842 x 595 pts")), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression("Title:\\s+Список товарів")), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression("Creator:\\s+Tarnovell")), qPrintable(info));
        QVERIFY2(!Run("pdfinfo", {file}).isEmpty(), "pdfinfo reads the file");
        // name, type, encoding, emb, sub, uni: three embedded subsets with
        // their Unicode maps.
        const QStringList fonts = Run("pdffonts", {file}).split('\n', Qt::SkipEmptyParts).mid(2);
        QCOMPARE(fonts.size(), 3);
        for (const QString& line : fonts)
            QVERIFY2(line.contains(QRegularExpression("CID TrueType\\s+Identity-H\\s+yes yes yes")),
                     qPrintable(line));
        QCOMPARE(PdfPages(file).size(), 3);
        QVERIFY(PdfPages(file)[2].contains("Сторінка 3"));
    }

    // Many texts on a page, each where it was put (the moves between them
    // do not add up errors).
    void TextsStayInPlace()
    {
        const QString file = FDir.filePath("places.pdf");
        const int count = 700;
        auto place = [](int i) { return 20 + (i % 7) * 80.337; };
        {
            TPdfWriter w(file.toStdString(), "p");
            const int f = w.AddFont(QFont("Arial", 9));
            w.NewPage(595, 842);
            for (int i = 0; i < count; ++i) {
                if (i % 14 == 0)
                    w.FillRect(10, 10 + (i / 7) * 8.113, 500, 8, 0xF7F7F7);
                w.Text(place(i), 18 + (i / 7) * 8.113, f, 7, "w" + std::to_string(i));
            }
            w.Finish();
        }
        const QString boxes = Run("pdftotext", {"-bbox", file, "-"});
        const QRegularExpression word("<word xMin=\"([0-9.]+)\"[^>]*>w(\\d+)</word>");
        int seen = 0;
        for (auto m = word.globalMatch(boxes); m.hasNext(); ++seen) {
            const auto match = m.next();
            const int i = match.captured(2).toInt();
            QVERIFY2(std::abs(match.captured(1).toDouble() - place(i)) < 0.02,
                     qPrintable(match.captured(0)));
        }
        QCOMPARE(seen, count);
    }

    void MeasuresLikeTheDrawnText()
    {
        const QString file = FDir.filePath("measure.pdf");
        TPdfWriter w(file.toStdString(), "m");
        const int f = w.AddFont(QFont("Arial", 9));
        QVERIFY(w.Advance(f, "WWW") > w.Advance(f, "iii"));
        QCOMPARE(w.Advance(f, ""), 0.0);
        const std::string text = "Молоко";
        const double two = w.Advance(f, "Мо");
        QCOMPARE(w.FittingPrefix(f, text, two), std::string("Мо").size());
        QCOMPARE(w.FittingPrefix(f, text, two - 0.001), std::string("М").size());
        QCOMPARE(w.FittingPrefix(f, text, 100), text.size());
        QVERIFY(w.Ascent(f) > 0.5 && w.Descent(f) > 0.1);
        w.Abort();
        QVERIFY(!QFile::exists(file));
    }

    void FailuresRaiseAndLeaveNoFile()
    {
        // A folder that is not there.
        const QString missing = FDir.filePath("none/list.pdf");
        QVERIFY_THROWS_EXCEPTION(Exception, TPdfWriter(missing.toStdString(), "t"));
        QVERIFY(!QFile::exists(missing));

        // A device that takes no bytes: raises on Finish, and the device stays.
        bool raised = false;
        try {
            TPdfWriter w("/dev/full", "t");
            w.AddFont(QFont("Arial", 9));
            w.NewPage(595, 842);
            w.Text(10, 10, 0, 9, "x");
            w.Finish();
        } catch (const Exception& e) {
            raised = true;
            QVERIFY2(e.Message().find("/dev/full") != std::string::npos, e.what());
        }
        QVERIFY(raised);
        struct stat st {};
        QVERIFY(::stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode));

        // A document dropped before Finish.
        const QString dropped = FDir.filePath("dropped.pdf");
        {
            TPdfWriter w(dropped.toStdString(), "t");
            w.NewPage(595, 842);
            QVERIFY(QFile::exists(dropped));
        }
        QVERIFY(!QFile::exists(dropped));
    }
};

QTEST_MAIN(TestQPdfWriter)
#include "TestQPdfWriter.moc"
