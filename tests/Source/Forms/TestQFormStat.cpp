// The totals window over a stock book in a temporary program folder.

#include "UFormStat.h"

#include "DialogTestKit.h"
#include "MessagesTestKit.h"
#include "UMessages.h"
#include "UProgFolder.h"
#include "UStoreData.h"
#include "UTextConst.h"

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

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<testkit::TDialogBook> FBook;
    std::unique_ptr<testkit::TRecordingMessages> FMessages;
};

QTEST_MAIN(TestQFormStat)
#include "TestQFormStat.moc"
