// What the wizard, its folder dialog and its overwrite question show under
// each font set-up of a store's machines and at each screen scale, in each
// language: every text of every page whole inside its box, and one text
// size a page.

#include "FontSetups.h"
#include "TextInk.h"
#include "UConfirm.h"
#include "UExceptions.h"
#include "WhenShown.h"
#include "WizardTestKit.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRawFont>
#include <QTest>

using namespace tv;

namespace {

// The states a user brings the wizard to, in the order of the list.
enum TState { stLanguage, stLicence, stFolder, stFolderRefused, stSummary, stInstalled, stFailed };
const char* const StateNames[] = {"language", "licence", "folder", "folder refused", "summary", "installed", "failed"};
const char* const LanguageNames[] = {"English", "Russian", "Ukrainian"};

void ChooseLanguage(TWizard& w, int language)
{
    for (int i = 0; i < language; ++i)
        QTest::keyClick(w.Form->ComboBoxLang, Qt::Key_Down);
}

void ClickNext(TWizard& w, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(w.Form->BtnNext, Qt::LeftButton);
}

// The folder pasted over the field's text, as a user gives a folder of
// any letters.
void PasteFolder(TWizard& w, const std::string& folder)
{
    QApplication::clipboard()->setText(QString::fromStdString(folder));
    QTest::keyClick(w.Form->EditPath, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.Form->EditPath, Qt::Key_V, Qt::ControlModifier);
}

// The wizard's labels: one text size on the page shown.
QString SizesDiffer(const TWizard& w)
{
    QList<int> sizes;
    QString shown;
    for (const QLabel* label : w.Form->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty()) continue;
        sizes << QFontInfo(label->font()).pixelSize();
        shown += QString(" %1 %2 px").arg(label->objectName()).arg(sizes.back());
    }
    return sizes.count(sizes.value(0)) == sizes.size() ? QString() : shown;
}

} // namespace

class TestQSetupLook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const testkit::TFontSetup* setup = testkit::CurrentFontSetup();
        QVERIFY2(setup, "run under a font set-up");
        QCOMPARE(QRawFont::fromFont(QFont("Tahoma")).familyName(), QString(setup->Face));
    }

    void pages_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("state");
        for (int language = 0; language < 3; ++language)
            for (int state = stLanguage; state <= stFailed; ++state)
                QTest::addRow("%s %s", StateNames[state], LanguageNames[language]) << language << state;
    }
    void pages()
    {
        QFETCH(int, language);
        QFETCH(int, state);
        TWizard w;
        QVERIFY(QTest::qWaitForWindowExposed(w.Form.get()));
        ChooseLanguage(w, language);
        QCOMPARE(w.Form->ComboBoxLang->currentIndex(), language);
        switch (state) {
        case stLanguage:
            break;
        case stLicence:
            ClickNext(w);
            break;
        case stFolder:
            ClickNext(w, 2);
            break;
        case stFolderRefused:
            ClickNext(w, 2);
            PasteFolder(w, w.Home.Home() + "/100%/Tarnovell");
            ClickNext(w);
            QCOMPARE(w.Form->Page(), int(pageSummary) - 1);
            break;
        case stSummary:
            ClickNext(w, 3);
            break;
        case stInstalled:
            ClickNext(w, 4);
            QVERIFY(!w.Form->BtnNext->isVisible());
            break;
        case stFailed:
            ClickNext(w, 2);
            PasteFolder(w, w.Home.Home() + "/Missing/Tarnovell");
            ClickNext(w, 2);
            QVERIFY(w.Form->BtnNext->isVisible() && !w.Form->Installing());
            break;
        }
        const QStringList faults = testkit::InkFaults(*w.Form);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
        const QString sizes = SizesDiffer(w);
        QVERIFY2(sizes.isEmpty(), qPrintable(sizes));
    }

    // The folder dialog of the folder page.
    void folderBrowser_data() { overwriteQuestion_data(); }
    void folderBrowser()
    {
        QFETCH(int, language);
        TWizard w;
        ChooseLanguage(w, language);
        ClickNext(w, 2);
        QStringList faults;
        bool shown = false;
        WhenShown([&](QWidget* modal) {
            shown = true;
            faults = testkit::InkFaults(*modal);
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QTest::mouseClick(w.Form->BtnBrowse, Qt::LeftButton);
        QVERIFY(shown);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

    // The question of a second installation, with the path of a file deep
    // in a long folder, while the wizard says it installs.
    void overwriteQuestion_data()
    {
        QTest::addColumn<int>("language");
        for (int language = 0; language < 3; ++language)
            QTest::newRow(LanguageNames[language]) << language;
    }
    void overwriteQuestion()
    {
        QFETCH(int, language);
        TWizard w;
        const std::string parent = w.Home.Home() + "/Магазин на Садовій вулиці, склад номер два";
        QVERIFY(QDir().mkpath(QString::fromStdString(parent)));
        const std::string folder = parent + "/Tarnovell";
        ChooseLanguage(w, language);
        ClickNext(w, 2);
        PasteFolder(w, folder);
        ClickNext(w, 2);
        QVERIFY(!w.Form->BtnNext->isVisible());
        w.Restart();
        ChooseLanguage(w, language);
        ClickNext(w, 2);
        PasteFolder(w, folder);
        ClickNext(w);
        QStringList faults;
        QString question;
        int asked = 0;
        WhenShown([&](QWidget* modal) {
            auto* form = static_cast<TConfirmForm*>(modal);
            ++asked;
            question = form->LbQuestion->text();
            faults = testkit::InkFaults(*form);
            for (const QString& fault : testkit::InkFaults(*w.Form)) faults << "wizard: " + fault;
            QTest::mouseClick(form->BtnYesToAll, Qt::LeftButton);
        });
        ClickNext(w);
        QCOMPARE(asked, 1);
        QCOMPARE(question.count('\n'), 2);
        QVERIFY2(faults.isEmpty(), qPrintable(question + ": " + faults.join("; ")));
    }
};

int main(int argc, char** argv)
{
    return testkit::RunUnderFontSetups(argc, argv, [](int argc, char** argv) {
        TSetupApplication app(argc, argv);
        TestQSetupLook test;
        return QTest::qExec(&test, argc, argv);
    }, {"1", "2"});
}

#include "TestQSetupLook.moc"
