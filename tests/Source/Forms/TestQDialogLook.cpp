// The look shared by the program's dialogs and message boxes, in each
// language, under each font set-up and at scales 1 and 2: the band and its
// bevel at the bottom, the buttons on the band, controls that do not
// overlap, and every text's ink inside its control.

#include "DialogTestKit.h"
#include "FontSetups.h"
#include "TextInk.h"
#include "UAboutForm.h"
#include "UFormPass.h"
#include "UFormPassChange.h"
#include "UFormStat.h"
#include "UGlassGradient.h"
#include "UExceptHandler.h"
#include "UFile.h"
#include "UImage.h"
#include "UInOut.h"
#include "UMessages.h"
#include "UMessageBoxForm.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UQtText.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

using namespace tv;

namespace {

// Every problem a user would see, one line each.
QStringList Faults(QWidget& form)
{
    QStringList faults;
    const QRect client = form.rect();
    auto* image = form.findChild<TImage*>("Image", Qt::FindDirectChildrenOnly);
    auto* bevel = form.findChild<QFrame*>("Bevel", Qt::FindDirectChildrenOnly);
    if (!image || image->geometry() != QRect(0, client.height() - 40, client.width(), 40))
        faults << "band not 40 px at the bottom";
    if (!bevel || bevel->geometry() != QRect(0, client.height() - 42, client.width(), 2) || !bevel->isVisible())
        faults << "bevel not directly above the band";
    if (image) {
        const QImage shown = image->grab().toImage();
        const TGlassGradienter colours;
        const QColor top = shown.pixelColor(0, 0);
        if (top != colours.ActiveEnd() && top != colours.InactiveEnd()) faults << "band not painted";
    }
    QList<QWidget*> controls;
    for (QWidget* w : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != image && w != bevel && w->isVisible()) controls << w;
    for (QWidget* w : controls) {
        const QString name = w->objectName();
        if (!client.contains(w->geometry())) faults << name + " leaves the window";
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            if (image && !image->geometry().contains(button->geometry())) faults << name + " not on the band";
            if (button->text().isEmpty()) faults << name + " without caption";
        }
        for (QWidget* other : controls)
            if (other != w && other->objectName() < name && other->geometry().intersects(w->geometry()))
                faults << name + " overlaps " + other->objectName();
    }
    return faults + testkit::InkFaults(form);
}

// Once the box shows: its text and its faults, then it is closed.
void MeasureWhenShown(TFormMessageBox& box, QString& shown, QStringList& faults)
{
    QTimer::singleShot(0, &box, [&] {
        const bool exposed = QTest::qWaitForWindowExposed(&box);
        shown = box.LbQuery->text();
        faults = Faults(box);
        if (!exposed) faults << "box not shown";
        box.done(1);
    });
}

// A box that the program's messages go to while it lives; the first one
// shown is measured and closed.
struct TMeasuredBox {
    TMeasuredBox() : Before(GetMessages())
    {
        SetMessages(&Messages);
        MeasureWhenShown(Box, Shown, Faults);
    }
    ~TMeasuredBox() { SetMessages(Before); }
    TMeasuredBox(const TMeasuredBox&) = delete;
    TMeasuredBox& operator=(const TMeasuredBox&) = delete;

    TFormMessageBox Box;
    TMessageBoxMessages Messages{&Box};
    IMessages* Before;
    QString Shown;
    QStringList Faults;
};

// An import that only counts its runs.
class TCountedImport : public TImport {
public:
    int Runs = 0;
    std::string GetCaption() const override { return "import"; }
    std::string GetHint() const override { return "hint"; }
    void Execute() override { ++Runs; }
};

} // namespace

class TestQDialogLook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(testkit::UseConfigHome(FDir));
        FBook = std::make_unique<testkit::TDialogBook>(FDir);
        FOptions = std::make_unique<TProgOptions>(FDir.path().toStdString() + "/tarnovell.cfg", ProgRegKeyName);
        FOptions->SetTestDate(Now());
        FOptions->SetLastVersion("99.0");
        FPass = std::make_unique<TPass>(FOptions.get());
        QVERIFY(FPass->SetPassword("x"));
        // The widest totals there can be.
        FBook->Store.InsertGoods("1", "A", "1.00", "42'949'671.00", "2147483647", "");
        FBook->Store.InsertGoods("2", "B", "0.00", "0.00", "2147483647", "");
    }
    void cleanupTestCase()
    {
        FBook.reset();
    }

    void Dialogs_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("dialog");
        const char* names[] = {"Rus", "Ukr", "Eng"};
        for (int language = 0; language < 3; ++language)
            for (const char* dialog : {"FormPass", "FormPassChange", "FormAbout", "FormStat"})
                QTest::newRow(qPrintable(QString("%1 %2").arg(dialog, names[language]))) << language << dialog;
    }
    void Dialogs()
    {
        QFETCH(int, language);
        QFETCH(QString, dialog);
        LoadLanguageTexts(language);
        std::unique_ptr<QDialog> form;
        if (dialog == "FormPass") {
            auto* f = new TFormPass(FPass.get());
            f->LbResult->setText(ToQ(TextTable[SlotWrongOldPassword]));
            form.reset(f);
        } else if (dialog == "FormPassChange") {
            auto* f = new TFormPassChange(FPass.get());
            form.reset(f);
        } else if (dialog == "FormAbout") {
            form.reset(new TFormAbout(FOptions.get()));
        } else {
            auto* f = new TFormStat(&FBook->Store);
            f->Refresh();
            form.reset(f);
        }
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        if (auto* f = qobject_cast<TFormPassChange*>(form.get())) {
            // The longest of its messages.
            QString longest;
            for (TTextSlot slot : {SlotWrongOldPassword, SlotNewPasswordMismatch, SlotPasswordSaveFailed})
                if (ToQ(TextTable[slot]).size() > longest.size()) longest = ToQ(TextTable[slot]);
            f->LbResult->setText(longest);
        }
        if (auto* f = qobject_cast<TFormAbout*>(form.get())) QVERIFY(!f->LbNewVersion->text().isEmpty());
        if (auto* f = qobject_cast<TFormStat*>(form.get())) QCOMPARE(f->LbWeight->text(), QString("42'949'671.00"));
        const QStringList faults = Faults(*form);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

    void MessageBoxes_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("slotNumber");
        QTest::addColumn<int>("flags");
        const char* names[] = {"Rus", "Ukr", "Eng"};
        for (int language = 0; language < 3; ++language) {
            const QString n = names[language];
            QTest::newRow(qPrintable("overflow " + n)) << language << int{SlotTotalTooHigh} << (MB_ONEBUTTON | MB_ICONSTOP);
            QTest::newRow(qPrintable("price too high " + n)) << language << int{SlotCostTooHigh} << (MB_ONEBUTTON | MB_ICONINFORMATION);
            QTest::newRow(qPrintable("remove question " + n)) << language << int{SlotRemoveYesHint} << (MB_TWOBUTTONS | MB_ICONQUESTION);
            QTest::newRow(qPrintable("layout question " + n)) << language << int{SlotLayoutInstallQuestion} << (MB_TWOBUTTONS | MB_ICONQUESTION);
            QTest::newRow(qPrintable("longest text " + n)) << language << -1 << (MB_ONEBUTTON | MB_ICONSTOP);
        }
    }
    void MessageBoxes()
    {
        QFETCH(int, language);
        QFETCH(int, slotNumber);
        QFETCH(int, flags);
        LoadLanguageTexts(language);
        if (slotNumber < 0) {
            // The language's longest text.
            slotNumber = 0;
            for (int i = 1; i < TextSlotCount; ++i)
                if (ToQ(TextTable[TTextSlot(i)]).size() > ToQ(TextTable[TTextSlot(slotNumber)]).size()) slotNumber = i;
        }
        const auto slot = static_cast<TTextSlot>(slotNumber);
        TFormMessageBox box;
        QStringList faults;
        QString shown;
        MeasureWhenShown(box, shown, faults);
        box.ShowMessageBox(TextTable[slot], TextTable[SlotSumCalculation], flags, slot == SlotRemoveYesHint ? TextTable[SlotYes] : "OK", TextTable[SlotCloseMessageHint],
                           TextTable[SlotNo], TextTable[SlotCloseMessageHint]);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

    // The box of a safety copy that cannot be made before an import, for
    // a program installed deep in a folder of long names.
    void safetyCopyFailure_data()
    {
        QTest::addColumn<int>("language");
        const char* names[] = {"Rus", "Ukr", "Eng"};
        for (int language = 0; language < 3; ++language)
            QTest::newRow(names[language]) << language;
    }
    void safetyCopyFailure()
    {
        QFETCH(int, language);
        LoadLanguageTexts(language);
        QTemporaryDir home;
        const QString folder = home.path() + "/Магазин_на_Садовій_вулиці/Склад_номер_два/Tarnovell";
        QVERIFY(QDir().mkpath(folder + "/Hist"));
        QVERIFY(QDir().rmdir(folder + "/Hist"));
        QFile hist(folder + "/Hist");
        QVERIFY(hist.open(QIODevice::WriteOnly));
        hist.close();
        SetProgramFolder(folder.toStdString() + "/");
        Store.Open(true, "Data");
        TMeasuredBox box;
        TCountedImport import;
        import.SetLanguage(language);
        QWidget window;
        QMenu exportMenu, importMenu, reportMenu;
        TInOutManager manager(&window, &exportMenu, &importMenu, &reportMenu, {&import}, {}, {});
        manager.ExecuteAction(0);
        Store.Close();
        SetProgramFolder(std::string());
        QCOMPARE(import.Runs, 0);
        QVERIFY2(box.Shown.contains("Tarnovell"), qPrintable(box.Shown));
        QVERIFY2(box.Faults.isEmpty(), qPrintable(box.Shown + ": " + box.Faults.join("; ")));
    }

    // The box of an error that escaped a handler: a write to a file deep in
    // a folder of long names failed.
    void exceptionBox_data() { safetyCopyFailure_data(); }
    void exceptionBox()
    {
        QFETCH(int, language);
        LoadLanguageTexts(language);
        TMeasuredBox box;
        const std::string file =
            "/home/shop/Магазин_на_Садовій_вулиці/Склад_номер_два/Tarnovell/Data/moves.dat";
        ExceptHandler.ApplicationException(
            nullptr, std::make_exception_ptr(EFileError("Ошибка записи в файл", file, std::strerror(ENOSPC))));
        QVERIFY2(box.Shown.contains("moves.dat"), qPrintable(box.Shown));
        QVERIFY2(box.Faults.isEmpty(), qPrintable(box.Shown + ": " + box.Faults.join("; ")));
    }

    // A file's path shortened to the box above the reason, as the exports
    // and imports show a file they cannot write or read.
    void shortenedPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("latin") << "/home/shop/WWW Warehouse Mmmm/Exports of the week/goods list with prices.csv";
        QTest::newRow("cyrillic") << "/home/shop/Магазин Щедрий Шлях/Експорт за тиждень/ЖЖЖ ШШШ ЮЮЮ Щ.csv";
        QTest::newRow("narrow") << "/home/shop/iiii llll iiii llll iiii llll iiii llll iiii llll iiii/iiii llll iiii llll iiii llll/f.csv";
    }
    void shortenedPath()
    {
        QFETCH(QString, path);
        LoadLanguageTexts(1);
        TFormMessageBox box;
        QStringList faults;
        QString shown;
        MeasureWhenShown(box, shown, faults);
        const std::string text = FitToMessageBox(path.toStdString(), TMessageFit::ShortPath) + "\r\n" +
                                 TextTable[SlotBackupCopyFailed];
        box.ShowMessageBox(text, TextTable[SlotBackupCaption], MB_ONEBUTTON | MB_ICONEXCLAMATION, "OK",
                           TextTable[SlotCloseMessageHint]);
        QVERIFY2(shown.contains("..."), qPrintable(shown));
        QVERIFY2(faults.isEmpty(), qPrintable(shown + ": " + faults.join("; ")));
    }

private:
    QTemporaryDir FDir;
    std::unique_ptr<TProgOptions> FOptions;
    std::unique_ptr<TPass> FPass;
    std::unique_ptr<testkit::TDialogBook> FBook;
};

int main(int argc, char** argv)
{
    return testkit::RunUnderFontSetups(argc, argv, [](int argc, char** argv) {
        QApplication app(argc, argv);
        TestQDialogLook test;
        return QTest::qExec(&test, argc, argv);
    }, {"1", "2"});
}
#include "TestQDialogLook.moc"
