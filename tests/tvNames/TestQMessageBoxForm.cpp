// The message box: answers to keys, buttons and the close box, the button
// sets and icons, reuse of the one box, and the fitting of long texts.

#include "UMessageBoxForm.h"

#include "../Kit/PrivateFonts.h"
#include "UException.h"
#include "UQtText.h"
#include "UTextConst.h"
#include "UImage.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace tv;

namespace {

enum class Act { Enter, Esc, Space, ClickBtn1, ClickBtn2, CloseBox };

// Runs action once the modal box is up; records what the box looked like.
struct Probe {
    bool Btn1Visible = false;
    QWidget* Focus = nullptr;
    QPushButton* Default = nullptr;
    QString Btn2Text;
    QString Btn2Hint;
    QSize Size;
};

void WhenShown(TFormMessageBox& box, std::function<void()> action)
{
    QTimer::singleShot(0, &box, [&box, action]() {
        if (!box.isVisible()) {
            WhenShown(box, action);
            return;
        }
        action();
    });
}

void Perform(TFormMessageBox& box, Act act)
{
    QWidget* target = box.focusWidget() ? box.focusWidget() : &box;
    switch (act) {
    case Act::Enter: QTest::keyClick(target, Qt::Key_Return); break;
    case Act::Esc: QTest::keyClick(target, Qt::Key_Escape); break;
    case Act::Space: QTest::keyClick(target, Qt::Key_Space); break;
    case Act::ClickBtn1: QTest::mouseClick(box.Btn1, Qt::LeftButton); break;
    case Act::ClickBtn2: QTest::mouseClick(box.Btn2, Qt::LeftButton); break;
    case Act::CloseBox: box.close(); break;
    }
}

int Show(TFormMessageBox& box, int flags, Act act, Probe* probe = nullptr,
         const std::string& text = "Text")
{
    WhenShown(box, [&box, act, probe]() {
        if (probe) {
            probe->Btn1Visible = box.Btn1->isVisible();
            probe->Focus = box.focusWidget();
            probe->Default = box.Btn1->isDefault() ? box.Btn1 : box.Btn2->isDefault() ? box.Btn2 : nullptr;
            probe->Btn2Text = box.Btn2->text();
            probe->Btn2Hint = box.Btn2->toolTip();
            probe->Size = box.size();
        }
        Perform(box, act);
    });
    return box.ShowMessageBox(text, "Caption", flags, "First", "First hint", "Second", "Second hint");
}

QImage Pixels(const QPixmap& p) { return p.toImage().convertToFormat(QImage::Format_ARGB32); }

} // namespace

class TestQMessageBoxForm : public QObject {
    Q_OBJECT

private slots:
    void init() { FBox = std::make_unique<TFormMessageBox>(); }
    void cleanup() { FBox.reset(); }

    void Answers_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("act");
        QTest::addColumn<int>("expected");
        const int one = MB_ONEBUTTON | MB_ICONINFORMATION;
        const int two = MB_TWOBUTTONS | MB_ICONQUESTION;
        QTest::newRow("one button: Enter") << one << int(Act::Enter) << 1;
        QTest::newRow("one button: Esc") << one << int(Act::Esc) << 1;
        QTest::newRow("one button: Space on its button") << one << int(Act::Space) << 1;
        QTest::newRow("one button: its button") << one << int(Act::ClickBtn2) << 1;
        QTest::newRow("one button: close box") << one << int(Act::CloseBox) << 2;
        QTest::newRow("two buttons: Enter") << two << int(Act::Enter) << 1;
        QTest::newRow("two buttons: Esc") << two << int(Act::Esc) << 2;
        QTest::newRow("two buttons: first button") << two << int(Act::ClickBtn1) << 1;
        QTest::newRow("two buttons: second button") << two << int(Act::ClickBtn2) << 2;
        QTest::newRow("two buttons: close box") << two << int(Act::CloseBox) << 2;
        QTest::newRow("unknown button set is one button: Esc") << (7 | MB_ICONSTOP) << int(Act::Esc) << 1;
    }
    void Answers()
    {
        QFETCH(int, flags);
        QFETCH(int, act);
        QFETCH(int, expected);
        QCOMPARE(Show(*FBox, flags, Act(act)), expected);
        QVERIFY(!FBox->isVisible());
    }

    // The button sets: captions, hints, focus and default button, and a
    // box reused from one set to the other and back.
    void ButtonSetsOnReuse()
    {
        Probe two;
        QCOMPARE(Show(*FBox, MB_TWOBUTTONS | MB_ICONQUESTION, Act::Esc, &two), 2);
        QVERIFY(two.Btn1Visible);
        QCOMPARE(two.Focus, FBox->Btn1);
        QCOMPARE(two.Default, FBox->Btn1);
        QCOMPARE(FBox->Btn1->text(), QString("First"));
        QCOMPARE(FBox->Btn1->toolTip(), QString("First hint"));
        QCOMPARE(two.Btn2Text, QString("Second"));
        QCOMPARE(two.Btn2Hint, QString("Second hint"));

        Probe one;
        QCOMPARE(Show(*FBox, MB_ONEBUTTON | MB_ICONSTOP, Act::Enter, &one), 1);
        QVERIFY(!one.Btn1Visible);
        QCOMPARE(one.Focus, FBox->Btn2);
        QCOMPARE(one.Default, FBox->Btn2);
        QCOMPARE(one.Btn2Text, QString("First"));
        QCOMPARE(one.Btn2Hint, QString("First hint"));

        Probe again;
        QCOMPARE(Show(*FBox, MB_TWOBUTTONS | MB_ICONQUESTION, Act::Enter, &again), 1);
        QVERIFY(again.Btn1Visible);
        QCOMPARE(again.Focus, FBox->Btn1);
        QCOMPARE(again.Default, FBox->Btn1);
    }

    void Icons_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("pixmap");
        QTest::newRow("stop") << 16 << int(QStyle::SP_MessageBoxCritical);
        QTest::newRow("question") << (1 | 32) << int(QStyle::SP_MessageBoxQuestion);
        QTest::newRow("exclamation") << 48 << int(QStyle::SP_MessageBoxWarning);
        QTest::newRow("information") << 64 << int(QStyle::SP_MessageBoxInformation);
        QTest::newRow("unknown icon shows none") << 80 << -1;
        QTest::newRow("no icon bits shows none") << 0 << -1;
    }
    void Icons()
    {
        QFETCH(int, flags);
        QFETCH(int, pixmap);
        // An icon left from an earlier box must not stay.
        Show(*FBox, MB_ICONSTOP, Act::Enter);
        Show(*FBox, flags, Act::Enter);
        const QPixmap shown = FBox->ImageIcon->pixmap();
        if (pixmap < 0) {
            QVERIFY(shown.isNull());
            return;
        }
        const QPixmap expected =
            FBox->style()->standardIcon(QStyle::StandardPixmap(pixmap), nullptr, FBox.get()).pixmap(32, 32);
        QVERIFY(!shown.isNull());
        QCOMPARE(Pixels(shown), Pixels(expected));
    }

    void Geometry()
    {
        Probe probe;
        const std::string longText(2000, 'W');
        Show(*FBox, MB_TWOBUTTONS | MB_ICONQUESTION, Act::Enter, &probe, longText);
        QCOMPARE(probe.Size, QSize(364, 142));
        QCOMPARE(FBox->minimumSize(), QSize(364, 142));
        QCOMPARE(FBox->maximumSize(), QSize(364, 142));
        QCOMPARE(FBox->LbQuery->geometry(), QRect(72, 8, 284, 86));
        QCOMPARE(FBox->ImageIcon->geometry(), QRect(12, 24, 48, 48));
        QCOMPARE(FBox->Btn1->geometry(), QRect(190, 109, 80, 25));
        QCOMPARE(FBox->Btn2->geometry(), QRect(276, 108, 80, 25));
        QCOMPARE(FBox->Image->geometry(), QRect(0, 102, 364, 40));
        QCOMPARE(FBox->Bevel->geometry(), QRect(0, 100, 364, 2));
        QCOMPARE(FBox->Bevel->objectName(), QString("Bevel"));
        QVERIFY(FBox->LbQuery->wordWrap());
        QCOMPARE(FBox->LbQuery->alignment(), Qt::AlignCenter);
    }

    void TextAndCaption()
    {
        Show(*FBox, MB_ICONINFORMATION, Act::Enter, nullptr, "Line one\r\n<b>two</b>");
        QCOMPARE(FBox->LbQuery->text(), QString("Line one\n<b>two</b>"));
        QCOMPARE(FBox->LbQuery->textFormat(), Qt::PlainText);
        QCOMPARE(FBox->windowTitle(), QString("Caption"));
    }

    // The caption of the keyboard-layout question names the layout in each
    // language and fits the box's title bar beside its icon and buttons.
    void LayoutQuestionCaption_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("layout");
        QTest::newRow("Russian") << 0 << "русской";
        QTest::newRow("Ukrainian") << 1 << "української";
        QTest::newRow("English") << 2 << "English";
    }
    void LayoutQuestionCaption()
    {
        QFETCH(int, language);
        QFETCH(QString, layout);
        LoadLanguageTexts(language);
        const QString caption = ToQ(TextTable[SlotLayoutInstallCaption]);
        QVERIFY2(caption.contains(layout), qPrintable(caption));
        QFont title = FBox->font();
        title.setBold(true);
        const int room = FBox->width() - 3 * FBox->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        const int width = QFontMetrics(title).horizontalAdvance(caption);
        QVERIFY2(width <= room, qPrintable(QString("%1 px in %2 px").arg(width).arg(room)));
        LoadEnglishTexts();
    }

    void CentredOverMainForm_data()
    {
        QTest::addColumn<bool>("mainFormSet");
        QTest::newRow("main form given") << true;
        QTest::newRow("active window") << false;
    }
    void CentredOverMainForm()
    {
        QFETCH(bool, mainFormSet);
        QWidget main;
        main.setGeometry(200, 150, 800, 600);
        main.show();
        if (mainFormSet) {
            FBox->SetMainForm(&main);
        } else {
            QApplication::setActiveWindow(&main);
            QVERIFY(QTest::qWaitForWindowActive(&main));
        }
        QPoint centre;
        WhenShown(*FBox, [this, &centre]() {
            centre = FBox->frameGeometry().center();
            FBox->Btn2->click();
        });
        FBox->ShowMessageBox("Text", "Caption", MB_ICONINFORMATION, "OK", "");
        QVERIFY2((centre - main.frameGeometry().center()).manhattanLength() <= 6,
                 qPrintable(QString("%1,%2 vs %3,%4").arg(centre.x()).arg(centre.y())
                                .arg(main.frameGeometry().center().x()).arg(main.frameGeometry().center().y())));
    }

    // A box asked for while the box is showing comes as a second box.
    void NestedCall()
    {
        int inner = 0;
        QWidget* second = nullptr;
        WhenShown(*FBox, [this, &inner, &second]() {
            QTimer::singleShot(0, [&second]() {
                second = QApplication::activeModalWidget();
                QTest::keyClick(second->focusWidget(), Qt::Key_Escape);
            });
            inner = FBox->ShowMessageBox("Inner", "Caption", MB_TWOBUTTONS | MB_ICONQUESTION, "Yes", "", "No", "");
            FBox->Btn1->click();
        });
        const int outer = FBox->ShowMessageBox("Outer", "Caption", MB_TWOBUTTONS | MB_ICONQUESTION, "Yes", "",
                                               "No", "");
        QCOMPARE(inner, 2);
        QCOMPARE(outer, 1);
        QVERIFY(second != nullptr && second != FBox.get());
    }

    void FirstBoxIsTheProgramsBox()
    {
        QCOMPARE(FormMessageBox, FBox.get());
        {
            TFormMessageBox other;
            QCOMPARE(FormMessageBox, FBox.get());
        }
        FBox.reset();
        QCOMPARE(FormMessageBox, nullptr);
    }

    void MessagesAdapter()
    {
        TMessageBoxMessages messages(FBox.get());
        IMessages& iface = messages;
        WhenShown(*FBox, [this]() { FBox->Btn2->click(); });
        QCOMPARE(iface.ShowMessageBox("Remove?", "Remove", MB_TWOBUTTONS | MB_ICONQUESTION, "Yes", "y", "No", "n"), 2);
        QCOMPARE(FBox->windowTitle(), QString("Remove"));
        QCOMPARE(FBox->Btn1->text(), QString("Yes"));
        WhenShown(*FBox, [this]() { FBox->Btn2->click(); });
        QCOMPARE(iface.ShowMessageBox("Done", "Info", MB_ICONINFORMATION, "OK", "Close", "", ""), 1);
        FBox.reset();
        QCOMPARE(iface.ShowMessageBox("Gone", "Info", MB_ICONINFORMATION, "OK", "Close", "", ""), 2);
    }

    void Wrap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("backslash path") << "C:\\Folder\\Sub\\Another folder\\Yet another folder\\Deeper still\\"
                                           "The last folder of all\\file name.csv";
        QTest::newRow("slash path") << "/home/user/Documents/Warehouse/Export/Very long folder name/"
                                       "one more folder/and another/file name.csv";
        QTest::newRow("mixed separators") << "/home/user\\Documents/Warehouse\\Export/Very long folder name\\"
                                             "one more folder/and another\\file.csv";
        QTest::newRow("wide folder inside a path")
            << QString("C:\\Folder\\") + QString(120, 'W') + "\\Sub\\file.csv";
        QTest::newRow("wide last piece") << QString("C:\\Folder\\") + QString(120, 'W');
        QTest::newRow("cyrillic folders") << "/home/склад/Документы/Резервные копии склада/Очень длинная папка/"
                                             "ещё одна папка/файл.csv";
    }
    // Every line but those of a single wide piece fits the label, a line
    // ends only after a separator, and nothing is lost or reordered.
    void Wrap()
    {
        QFETCH(QString, text);
        const std::string input = text.toStdString();
        const std::string wrapped = FitToMessageBox(input, TMessageFit::PathLines);
        const QFontMetrics metrics(FBox->font());
        const int limit = FBox->LbQuery->width();
        QVERIFY(metrics.horizontalAdvance(text) >= limit);
        const QStringList lines = QString::fromStdString(wrapped).split("\r\n");
        QVERIFY(lines.size() > 1);
        QCOMPARE(lines.join(QString()), text);
        for (int i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            QVERIFY2(!line.isEmpty(), qPrintable(QString::fromStdString(wrapped)));
            if (i + 1 < lines.size()) QVERIFY(line.endsWith('\\') || line.endsWith('/'));
            const int seps = int(line.count('\\') + line.count('/'));
            const bool onePiece = seps <= 1 && (i + 1 < lines.size() || seps == 0);
            if (!onePiece) QVERIFY2(metrics.horizontalAdvance(line) < limit, qPrintable(line));
            // A line does not stop early when the next piece still fits.
            if (i + 1 < lines.size()) {
                const QString next = lines[i + 1];
                const qsizetype cut = next.indexOf(QRegularExpression("[\\\\/]"));
                const QString piece = cut < 0 ? next : next.left(cut + 1);
                QVERIFY(metrics.horizontalAdvance(line + piece) >= limit);
            }
        }
    }

    void WrapEdges()
    {
        const QFontMetrics metrics(FBox->font());
        const int limit = FBox->LbQuery->width();

        const std::string shortPath = "C:\\Folder\\Sub\\file.csv";
        QVERIFY(metrics.horizontalAdvance(QString::fromStdString(shortPath)) < limit);
        QCOMPARE(FitToMessageBox(shortPath, TMessageFit::PathLines), shortPath);
        QCOMPARE(FitToMessageBox("", TMessageFit::PathLines), std::string());

        const std::string wide(200, 'W');
        QCOMPARE(FitToMessageBox(wide, TMessageFit::PathLines), "\r\n" + wide);

        const std::string folder(150, 'M');
        QCOMPARE(FitToMessageBox("C:\\" + folder + "\\file.csv", TMessageFit::PathLines),
                 "C:\\\r\n" + folder + "\\\r\nfile.csv");
    }

    // The fittings that keep every character in place: each piece between
    // the breaks fits the text, and a piece stops only where the next
    // character would not fit.
    void FitKeepsText_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("breaks");
        const QString long120 = QString(120, 'W');
        QTest::newRow("word breaks: a long word") << int(TMessageFit::WordBreaks) << long120 << " ";
        QTest::newRow("word breaks: cyrillic") << int(TMessageFit::WordBreaks) << QString(90, QChar(0x0416)) << " ";
        QTest::newRow("char lines: a long line") << int(TMessageFit::CharLines) << "11;" + long120 + ";2.00" << "\r\n";
    }
    void FitKeepsText()
    {
        QFETCH(int, how);
        QFETCH(QString, text);
        QFETCH(QString, breaks);
        const QString fitted = QString::fromStdString(FitToMessageBox(text.toStdString(), TMessageFit(how)));
        const QFontMetrics metrics(FBox->LbQuery->font());
        const int limit = FBox->LbQuery->width();
        QString joined = fitted;
        QCOMPARE(joined.remove(breaks), QString(text).remove(breaks));
        const QStringList pieces = fitted.split(breaks);
        QVERIFY(pieces.size() > 2);
        for (int i = 0; i < pieces.size(); ++i) {
            QVERIFY2(metrics.horizontalAdvance(pieces[i]) < limit, qPrintable(pieces[i]));
            if (i + 1 < pieces.size() && !pieces[i + 1].isEmpty())
                QVERIFY(metrics.horizontalAdvance(pieces[i] + pieces[i + 1][0]) >= limit);
        }
    }

    void FitShortPath()
    {
        const std::string path = "/home/operator/" + std::string(100, 'F') + "/goods.csv";
        const QString shown = QString::fromStdString(FitToMessageBox(path, TMessageFit::ShortPath));
        QVERIFY(shown.endsWith(".../goods.csv"));
        QVERIFY(shown.startsWith("/home/"));
        QVERIFY(QFontMetrics(FBox->LbQuery->font()).horizontalAdvance(shown) <= FBox->LbQuery->width());
        QCOMPARE(FitToMessageBox("/a/b.csv", TMessageFit::ShortPath), std::string("/a/b.csv"));
    }

    void WrapWithoutBox()
    {
        FBox.reset();
        for (TMessageFit how : {TMessageFit::WordBreaks, TMessageFit::CharLines, TMessageFit::ShortPath})
            QCOMPARE(FitToMessageBox("C:\\a b", how), std::string("C:\\a b"));
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, FitToMessageBox("C:\\a", TMessageFit::PathLines));
        try {
            FitToMessageBox("C:\\a", TMessageFit::PathLines);
        } catch (const EAssertionFailed& e) {
            QVERIFY(std::string(e.what()).find("Not Assigned Message Box") != std::string::npos);
        }
    }

private:
    std::unique_ptr<TFormMessageBox> FBox;
};

int main(int argc, char** argv)
{
    const TPrivateFonts fonts({"/usr/share/fonts/truetype/dejavu"}, "DejaVu Sans");
    if (!fonts.Ok())
        return 1;
    QApplication app(argc, argv);
    TestQMessageBoxForm test;
    return QTest::qExec(&test, argc, argv);
}
#include "TestQMessageBoxForm.moc"
