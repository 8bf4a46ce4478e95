// The totals window over a stock book in a temporary program folder, under
// each font set-up of a store's machines at screen scales 1 and 2.

#include "UFormStat.h"

#include "DialogTestKit.h"
#include "FontSetups.h"
#include "MessagesTestKit.h"
#include "TextInk.h"
#include "UMessages.h"
#include "UProgFolder.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace tv;

namespace {

QString Values(const TFormStat& form)
{
    return form.LbNames->text() + " | " + form.LbWeight->text() + " | " + form.LbCount->text() + " | " +
           form.LbSum->text();
}

} // namespace

class TestQFormStat : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        LoadEnglishTexts();
        FDir = std::make_unique<QTemporaryDir>();
        FBook = std::make_unique<testkit::TDialogBook>(*FDir);
        FMessages = std::make_unique<testkit::TRecordingMessages>();
    }
    void cleanup()
    {
        FMessages.reset();
        FBook.reset();
        FDir.reset();
    }

    void Texts()
    {
        TFormStat form(&FBook->Store);
        QCOMPARE(form.windowTitle(), QString("Total in warehouse"));
        QCOMPARE(form.BtnOK->toolTip(), QString("Close total sum window"));
        QCOMPARE(form.LbNamesText->text(), QString("Product names quantity"));
        QCOMPARE(form.LbWeightText->text(), QString("Products quantity"));
        QCOMPARE(form.LbCountText->text(), QString("Packs quantity"));
        QCOMPARE(form.LbSumText->text(), QString("Total products cost"));
        QCOMPARE(form.size(), QSize(254, 185));
        LoadRussianTexts();
        form.ApplyLanguage();
        QCOMPARE(form.windowTitle().toStdString(), TextTable[SlotTotalsCaption]);
        QCOMPARE(form.LbSumText->text().toStdString(), TextTable[SlotTotalsCost]);
    }

    void EmptyBook()
    {
        TFormStat form(&FBook->Store);
        QVERIFY(form.Refresh());
        QCOMPARE(Values(form), QString("0 | 0.00 | 0 | 0.00"));
        QVERIFY(FMessages->Boxes.empty());
    }

    void Totals()
    {
        FBook->Store.InsertGoods("1", "A", "2.00", "1'000.00", "7", "");
        FBook->Store.InsertGoods("2", "B", "0.50", "0.03", "3", "");
        FBook->Store.Goods().SetRecNo(1);
        TFormStat form(&FBook->Store);
        QVERIFY(form.Refresh());
        QCOMPARE(Values(form), QString("2 | 1'000.03 | 10 | 2'000.02"));
        QCOMPARE(FBook->Store.Goods().GetRecNo(), 1);
    }

    // Totals beyond 32 bits: the box, empty values, and a refresh that
    // fails so that the window is not opened; values shown before are gone.
    void Overflow()
    {
        FBook->Store.InsertGoods("1", "A", "1.00", "30'000'000.00", "1", "");
        TFormStat form(&FBook->Store);
        QVERIFY(form.Refresh());
        QVERIFY(!form.LbSum->text().isEmpty());
        FBook->Store.InsertGoods("2", "B", "1.00", "30'000'000.00", "1", "");
        FBook->Store.Goods().SetRecNo(0);
        QVERIFY(!form.Refresh());
        QCOMPARE(Values(form), QString(" |  |  | "));
        QCOMPARE(FBook->Store.Goods().GetRecNo(), 0);
        QCOMPARE(int(FMessages->Boxes.size()), 1);
        const auto& box = FMessages->Boxes[0];
        QCOMPARE(box.Caption, std::string("Sum calculation"));
        QCOMPARE(box.Text, TextTable[SlotTotalTooHigh]);
        QCOMPARE(box.Flags, MB_ONEBUTTON | MB_ICONSTOP);
        QCOMPARE(box.First, std::string("OK"));
        QCOMPARE(box.FirstHint, std::string("Close message window"));
        QVERIFY(!form.isVisible());
    }

    // Every caption and value keeps its ink in its label, with the largest
    // totals, in every language (under each font set-up, at scales 1 and 2).
    void TextsKeepTheirInk_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("rus") << 0;
        QTest::newRow("ukr") << 1;
        QTest::newRow("eng") << 2;
    }
    void TextsKeepTheirInk()
    {
        QFETCH(int, language);
        LoadLanguageTexts(language);
        FBook->Store.InsertGoods("20000001", "Кава мелена 1 кг", "1.00", "42'949'671.00", "2147483647", "");
        FBook->Store.InsertGoods("20000002", "Чай", "0.00", "0.00", "2147483647", "");
        TFormStat form(&FBook->Store);
        QVERIFY(form.Refresh());
        QCOMPARE(Values(form), QString("2 | 42'949'671.00 | 4294967294 | 42'949'671.00"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // What each label shows: a label draws within its whole rectangle,
        // its contents margins too.
        QStringList faults;
        for (const QLabel* label : form.findChildren<QLabel*>()) {
            testkit::TDrawnText drawn;
            if (!label->isVisible() || !testkit::LabelText(*label, drawn)) continue;
            const testkit::TInk ink =
                testkit::InkOutside(*label, drawn.Box, drawn.Flags, drawn.Text, testkit::ShownRect(*label));
            if (ink.Outside > 0)
                faults << QString("%1 loses %2 of %3 ink pixels").arg(label->objectName()).arg(ink.Outside).arg(ink.Total);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<testkit::TDialogBook> FBook;
    std::unique_ptr<testkit::TRecordingMessages> FMessages;
};

int main(int argc, char** argv)
{
    return testkit::RunUnderFontSetups(
        argc, argv,
        [](int argc, char** argv) {
            QApplication app(argc, argv);
            TestQFormStat test;
            return QTest::qExec(&test, argc, argv);
        },
        {"1", "2"});
}
#include "TestQFormStat.moc"
