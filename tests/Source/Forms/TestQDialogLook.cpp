// The look shared by the program's dialogs, in each language: the band and
// its bevel at the bottom, the buttons on the band, controls that do not
// overlap, and texts that fit their controls.

#include "DialogTestKit.h"
#include "UAboutForm.h"
#include "UFormPass.h"
#include "UFormPassChange.h"
#include "UFormStat.h"
#include "UGlassGradient.h"
#include "UImage.h"
#include "UMessageBoxForm.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UQtText.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
        const QFontMetrics fm(w->font());
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            if (image && !image->geometry().contains(button->geometry())) faults << name + " not on the band";
            if (fm.horizontalAdvance(button->text()) + 10 > button->width()) faults << name + " text clipped";
            if (button->text().isEmpty()) faults << name + " without caption";
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty()) continue;
            const QRect need = fm.boundingRect(QRect(0, 0, label->width(), 10000),
                                               int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0),
                                               label->text());
            if (need.width() > label->width() || need.height() > label->height())
                faults << QString("%1 text clipped (%2x%3 in %4x%5)")
                              .arg(name)
                              .arg(need.width())
                              .arg(need.height())
                              .arg(label->width())
                              .arg(label->height());
        }
        for (QWidget* other : controls)
            if (other != w && other->objectName() < name && other->geometry().intersects(w->geometry()))
                faults << name + " overlaps " + other->objectName();
    }
    return faults;
}

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
        }
    }
    void MessageBoxes()
    {
        QFETCH(int, language);
        QFETCH(int, slotNumber);
        QFETCH(int, flags);
        const auto slot = static_cast<TTextSlot>(slotNumber);
        LoadLanguageTexts(language);
        TFormMessageBox box;
        QStringList faults;
        QTimer::singleShot(0, &box, [&] {
            const bool exposed = QTest::qWaitForWindowExposed(&box);
            faults = Faults(box);
            if (!exposed) faults << "box not shown";
            box.done(1);
        });
        box.ShowMessageBox(TextTable[slot], TextTable[SlotSumCalculation], flags, slot == SlotRemoveYesHint ? TextTable[SlotYes] : "OK", TextTable[SlotCloseMessageHint],
                           TextTable[SlotNo], TextTable[SlotCloseMessageHint]);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

private:
    QTemporaryDir FDir;
    std::unique_ptr<TProgOptions> FOptions;
    std::unique_ptr<TPass> FPass;
    std::unique_ptr<testkit::TDialogBook> FBook;
};

QTEST_MAIN(TestQDialogLook)
#include "TestQDialogLook.moc"
