// The totals window over a stock book in a temporary program folder.

#include "UFormStat.h"

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

class TRecordedMessages : public IMessages {
public:
    struct TBox {
        std::string Text, Caption, First, Hint;
        int Flags;
    };
    int ShowMessageBox(const std::string& text, const std::string& caption, int flags, const std::string& first,
                       const std::string& hint, const std::string&, const std::string&) override
    {
        Boxes.push_back({text, caption, first, hint, flags});
        return 1;
    }
    std::vector<TBox> Boxes;
};

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
        SetProgramFolder(FDir->path().toStdString());
        FStore = std::make_unique<TStore>();
        FStore->Open(true, "Data");
        SetMessages(&FMessages);
        FMessages.Boxes.clear();
    }
    void cleanup()
    {
        SetMessages(nullptr);
        FStore->Close();
        FStore.reset();
        SetProgramFolder(std::string());
        FDir.reset();
    }

    void Texts()
    {
        TFormStat form(FStore.get());
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
        TFormStat form(FStore.get());
        QVERIFY(form.Refresh());
        QCOMPARE(Values(form), QString("0 | 0.00 | 0 | 0.00"));
        QVERIFY(FMessages.Boxes.empty());
    }

    void Totals()
    {
        FStore->InsertGoods("1", "A", "2.00", "1'000.00", "7", "");
        FStore->InsertGoods("2", "B", "0.50", "0.03", "3", "");
        FStore->Goods().SetRecNo(1);
        TFormStat form(FStore.get());
        QVERIFY(form.Refresh());
        QCOMPARE(Values(form), QString("2 | 1'000.03 | 10 | 2'000.02"));
        QCOMPARE(FStore->Goods().GetRecNo(), 1);
    }

    // Totals beyond 32 bits: the box, empty values, and a refresh that
    // fails so that the window is not opened; values shown before are gone.
    void Overflow()
    {
        FStore->InsertGoods("1", "A", "1.00", "30'000'000.00", "1", "");
        TFormStat form(FStore.get());
        QVERIFY(form.Refresh());
        QVERIFY(!form.LbSum->text().isEmpty());
        FStore->InsertGoods("2", "B", "1.00", "30'000'000.00", "1", "");
        FStore->Goods().SetRecNo(0);
        QVERIFY(!form.Refresh());
        QCOMPARE(Values(form), QString(" |  |  | "));
        QCOMPARE(FStore->Goods().GetRecNo(), 0);
        QCOMPARE(int(FMessages.Boxes.size()), 1);
        const auto& box = FMessages.Boxes[0];
        QCOMPARE(box.Caption, std::string("Sum calculation"));
        QCOMPARE(box.Text, TextTable[SlotTotalTooHigh]);
        QCOMPARE(box.Flags, MB_ONEBUTTON | MB_ICONSTOP);
        QCOMPARE(box.First, std::string("OK"));
        QCOMPARE(box.Hint, std::string("Close message window"));
        QVERIFY(!form.isVisible());
    }

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TStore> FStore;
    TRecordedMessages FMessages;
};

QTEST_MAIN(TestQFormStat)
#include "TestQFormStat.moc"
