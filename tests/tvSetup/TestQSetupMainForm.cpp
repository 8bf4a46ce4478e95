// The wizard offscreen, under each font set-up: its pages and navigation,
// the language switch, the summary, the folder button, a whole installation
// and its failure, the close box while a step runs, the transparent check
// boxes and the display of an error that escapes a handler.

#include "FontSetups.h"
#include "SetupTestHome.h"
#include "UConfirm.h"
#include "UException.h"
#include "UExceptions.h"
#include "UFolderBrowser.h"
#include "UNamSelDir.h"
#include "USetupMainForm.h"
#include "USetupTextConst.h"
#include "UTranspCheckBox.h"
#include "UVersionInfo.h"
#include "WhenShown.h"
#include "WizardTestKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <memory>
#include <stdexcept>

using namespace tv;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s).replace("\r\n", "\n"); }

// Whether every line of the label fits the 321 px of the page's column.
bool Fits(const QLabel* label)
{
    for (const QString& line : label->text().split('\n'))
        if (label->fontMetrics().horizontalAdvance(line) > 321)
            return false;
    return label->x() + label->width() <= 600;
}

} // namespace

class TestSetupMainForm : public QObject {
    Q_OBJECT

private slots:
    void pages_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QList<int>>("tops");
        QTest::addColumn<QString>("next");
        QTest::addColumn<bool>("back");
        QTest::addColumn<QString>("hint");
        const QStringList common = {"LbVersion", "LbDescript"};
        QTest::newRow("1 language") << 1 << (common + QStringList{"LbLang", "ComboBoxLang"})
                                    << QList<int>{25, 38, 120, 135} << "Next >" << false
                                    << "\nTo continue the installation click Next >";
        QTest::newRow("2 licence") << 2 << (common + QStringList{"LbLicense", "MemoLicense"})
                                   << QList<int>{25, 38, 90, 105} << "Agree" << true
                                   << "If you agree with the conditions of the license agreement\nclick Agree. If you "
                                      "disagree, click Cancel";
        QTest::newRow("3 folder") << 3
                                  << (common + QStringList{"LbPath", "EditPath", "BtnBrowse", "CbMenuasTransparent",
                                                           "CbDesktopasTransparent"})
                                  << QList<int>{25, 38, 100, 115, 113, 180, 205} << "Next >" << true
                                  << "\nTo continue the installation click Next >";
        QTest::newRow("4 summary") << 4 << (common + QStringList{"LbProgress", "MemoProgress", "CbExec"})
                                   << QList<int>{25, 38, 90, 105, 280} << "Install" << true
                                   << "\nTo continue the installation click Install";
    }

    void pages()
    {
        QFETCH(int, page);
        QFETCH(QStringList, shown);
        QFETCH(QList<int>, tops);
        QFETCH(QString, next);
        QFETCH(bool, back);
        QFETCH(QString, hint);
        TWizard w;
        w.Next(page - 1);
        QCOMPARE(w.Form->Page(), page);
        const QStringList all = {"LbVersion", "LbDescript", "LbLang", "ComboBoxLang", "LbLicense", "MemoLicense",
                                 "LbPath", "EditPath", "BtnBrowse", "CbMenuasTransparent", "CbDesktopasTransparent",
                                 "LbProgress", "MemoProgress", "CbExec"};
        for (const QString& name : all) {
            auto* control = w.Form->findChild<QWidget*>(name);
            QVERIFY2(control, qPrintable(name));
            QCOMPARE(control->isVisible(), shown.contains(name));
            if (shown.contains(name)) {
                QCOMPARE(control->x(), name == "BtnBrowse" ? 506 : 260);
                QCOMPARE(control->y(), tops[shown.indexOf(name)]);
            }
        }
        QCOMPARE(w.Form->BtnNext->text(), next);
        QVERIFY(w.Form->BtnNext->isVisible());
        QCOMPARE(w.Form->BtnBack->isVisible(), back);
        QCOMPARE(w.Form->BtnCancel->text(), QString("Cancel"));
        QCOMPARE(w.Form->LbComplete->text(), hint);
        if (page == 2)
            QCOMPARE(w.Form->MemoLicense->height(), 190);
        if (page == 4)
            QCOMPARE(w.Form->MemoProgress->height(), 170);
    }

    void backGoesThePagesDown()
    {
        TWizard w;
        w.Next(3);
        for (const int page : {3, 2, 1}) {
            w.Form->BtnBack->click();
            QCOMPARE(w.Form->Page(), page);
        }
        QVERIFY(!w.Form->BtnBack->isVisible());
    }

    void languageRelabelsEveryControl_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("code");
        QTest::newRow("English") << 0 << 2;
        QTest::newRow("Russian") << 1 << 0;
        QTest::newRow("Ukrainian") << 2 << 1;
    }

    void languageRelabelsEveryControl()
    {
        QFETCH(int, index);
        QFETCH(int, code);
        QLocale::setDefault(QLocale(QLocale::Russian));
        TWizard w;
        QCOMPARE(w.Form->windowTitle(), QString("Tarnovell software installation"));
        // Away from English first, so that every text must change.
        w.SelectLanguage(index == 1 ? 2 : 1);
        w.SelectLanguage(index);
        const TSetupText& t = code == 0 ? RusSetupText : code == 1 ? UkrSetupText : EngSetupText;
        QCOMPARE(w.Form->windowTitle(), Q(t.Caption));
        QCOMPARE(w.Form->LbVersion->text(), Q(t.Version) + " " + QString(TV_PRODUCT_VERSION));
        QCOMPARE(w.Form->LbDescript->text(), Q(t.Descript));
        QCOMPARE(w.Form->LbLang->text(), Q(t.LangPrompt));
        QCOMPARE(w.Form->LbLicense->text(), Q(t.LicensePrompt));
        QCOMPARE(w.Form->MemoLicense->toPlainText(), Q(t.LicenseText));
        QCOMPARE(w.Form->LbPath->text(), Q(t.PathPrompt));
        QCOMPARE(w.Form->CbDesktop->text(), Q(t.CbDesktop));
        QCOMPARE(w.Form->CbMenu->text(), Q(t.CbMenu));
        QCOMPARE(w.Form->CbExec->text(), Q(t.CbExec));
        QCOMPARE(w.Form->BtnNext->text(), Q(t.BtnNext));
        QCOMPARE(w.Form->BtnBack->text(), Q(t.BtnBack));
        QCOMPARE(w.Form->BtnCancel->text(), Q(t.BtnCancel));
        QCOMPARE(w.Form->BtnBrowse->text(), Q(t.BtnBrowse));
        QCOMPARE(w.Form->LbComplete->text(), Q(t.HintNext));
        QCOMPARE(stConfirmFormCaption, t.ConfirmCaption);
        QCOMPARE(stBtnNoToAll, t.BtnNoToAll);
        QCOMPARE(SetupText.AppTitle, t.AppTitle);
        for (const QLabel* label : {w.Form->LbDescript, w.Form->LbLang, w.Form->LbComplete})
            QVERIFY2(Fits(label), qPrintable(label->text()));
        // The later pages take their own texts from the chosen language.
        w.Next();
        QCOMPARE(w.Form->BtnNext->text(), Q(t.BtnAgree));
        QCOMPARE(w.Form->LbComplete->text(), Q(t.HintAgree));
        QVERIFY2(Fits(w.Form->LbComplete), qPrintable(w.Form->LbComplete->text()));
        w.Next(2);
        QCOMPARE(w.Form->LbProgress->text(), Q(t.SummaryCaption));
        QVERIFY2(Fits(w.Form->LbProgress), qPrintable(w.Form->LbProgress->text()));
        QCOMPARE(w.Memo().at(0), Q(t.SumLang));
        QCOMPARE(w.Memo().at(1), "    " + w.Form->ComboBoxLang->itemText(index));
        QLocale::setDefault(QLocale::c());
    }

    // Every label of a page shows one text size, each line within the page's
    // column and a fixed box's lines within its height.
    void labelsOfAPageShareOneSize_data()
    {
        QTest::addColumn<int>("language");  // steps down the list
        QTest::newRow("English") << 0;
        QTest::newRow("Russian") << 1;
        QTest::newRow("Ukrainian") << 2;
    }

    void labelsOfAPageShareOneSize()
    {
        QFETCH(int, language);
        TWizard w;
        for (int i = 0; i < language; ++i)
            QTest::keyClick(w.Form->ComboBoxLang, Qt::Key_Down);
        QCOMPARE(w.Form->ComboBoxLang->currentIndex(), language);
        const QLabel* labels[] = {w.Form->LbVersion, w.Form->LbDescript, w.Form->LbLang,    w.Form->LbLicense,
                                  w.Form->LbPath,    w.Form->LbProgress, w.Form->LbComplete};
        for (int page = 1; page <= 4; ++page) {
            QCOMPARE(w.Form->Page(), page);
            QList<int> sizes;
            QString shown;
            for (const QLabel* label : labels) {
                if (!label->isVisible())
                    continue;
                const QString what = QString("page %1, %2: %3").arg(page).arg(label->objectName(), label->text());
                sizes << QFontInfo(label->font()).pixelSize();
                shown += QString(" %1 %2 px").arg(label->objectName()).arg(sizes.back());
                QVERIFY2(Fits(label), qPrintable(what));
                const int lines = int(label->text().split('\n').size());
                const QFontMetrics metrics = label->fontMetrics();
                QVERIFY2((lines - 1) * metrics.lineSpacing() + metrics.height() <= label->height(), qPrintable(what));
            }
            QVERIFY(sizes.size() >= 3);
            QVERIFY2(sizes.count(sizes[0]) == sizes.size(), qPrintable(QString("page %1:").arg(page) + shown));
            QVERIFY(sizes[0] >= 8);
            if (page < 4)
                QTest::mouseClick(w.Form->BtnNext, Qt::LeftButton);
        }
    }

    void backAndNextRebuildTheSummary()
    {
        TWizard w;
        w.Next(3);
        const QString folder = QString::fromStdString(w.Home.Folder());
        QCOMPARE(w.Memo(), QStringList({"Installation language", "    English", "Installation folder",
                                        "    \"" + folder + "\"", "Create a program group in Start Menu", "    Yes",
                                        "Create a program shortcut on the Desktop", "    Yes", ""}));
        w.Form->BtnBack->click();
        QDir::setCurrent(QString::fromStdString(w.Home.Home()));
        w.Form->EditPath->setText("  shops/../Shop  ");
        w.Form->CbDesktop->setChecked(false);
        w.Next();
        QCOMPARE(w.Memo().at(3), "    \"" + QString::fromStdString(w.Home.Home()) + "/Shop/\"");
        QCOMPARE(w.Memo().at(7), QString("    No"));
        QCOMPARE(w.Memo().at(5), QString("    Yes"));

        w.Form->BtnBack->click();
        w.Form->EditPath->setText("~/Store");
        w.Next();
        QCOMPARE(w.Memo().at(3), "    \"" + QString::fromStdString(w.Home.Home()) + "/Store/\"");
        w.Form->BtnBack->click();
        w.Form->EditPath->setText("   ");
        w.Next();
        QCOMPARE(w.Memo().at(3), "    \"" + QCoreApplication::applicationDirPath() + "/\"");
    }

    // The dialog starts in the folder the field means, as the installation
    // would take it, above the program's own folder; "~" is the home folder
    // and a relative path lies in the current folder.
    void browseStartsWhereTheFieldPoints_data()
    {
        QTest::addColumn<QString>("typed");  // "<home>" stands for the home folder
        QTest::addColumn<QString>("start");  // below the home folder
        QTest::newRow("default folder") << "<home>/Tarnovell" << "";
        QTest::newRow("other case") << "<home>/TARNOVELL/" << "";
        QTest::newRow("absolute other folder") << "<home>/Work" << "/Work";
        QTest::newRow("absolute, not clean") << "<home>/Shop/../Work/" << "/Work";
        QTest::newRow("home folder sign") << "~/Work" << "/Work";
        QTest::newRow("home folder sign, program folder") << "~/Tarnovell" << "";
        QTest::newRow("home folder sign alone") << "~" << "";
        QTest::newRow("relative folder") << "Work" << "/Work";
        QTest::newRow("relative program folder") << "Work/Tarnovell" << "/Work";
        QTest::newRow("blanks around") << "  ~/Work  " << "/Work";
    }

    void browseStartsWhereTheFieldPoints()
    {
        QFETCH(QString, typed);
        QFETCH(QString, start);
        TWizard w;
        const QString home = QString::fromStdString(w.Home.Home());
        QDir().mkpath(home + "/Work");
        const QString before = QDir::currentPath();
        QDir::setCurrent(home);
        w.Next(2);
        QTest::mouseClick(w.Form->EditPath, Qt::LeftButton);
        QTest::keyClick(w.Form->EditPath, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.Form->EditPath, QString(typed).replace("<home>", home));
        QString current;
        QString proposed;
        QString caption;
        WhenShown([&](QWidget* modal) {
            auto* browser = static_cast<TFolderBrowser*>(modal);
            current = browser->CurrentPath();
            proposed = browser->EditBox()->text();
            caption = browser->windowTitle();
            QTest::mouseClick(browser->OkButton(), Qt::LeftButton);
        }, [](QWidget* modal) { return dynamic_cast<TFolderBrowser*>(modal) != nullptr; });
        QTest::mouseClick(w.Form->BtnBrowse, Qt::LeftButton);
        QDir::setCurrent(before);
        const QString expected = home + start;
        QCOMPARE(current, expected);
        QCOMPARE(proposed, expected + "/Tarnovell");
        QCOMPARE(caption, QString("Browse folders"));
        QCOMPARE(w.Form->EditPath->text(), expected + "/Tarnovell");
    }

    void browseTakesTheTypedFolderAndRefusesNoFolder()
    {
        TWizard w;
        w.Next(2);
        WhenShown([&](QWidget* modal) {
            auto* browser = static_cast<TFolderBrowser*>(modal);
            browser->EditBox()->setText("/typed/Shop");
            browser->OkButton()->click();
        });
        w.Form->BtnBrowse->click();
        QCOMPARE(w.Form->EditPath->text(), QString("/typed/Shop"));

        bool okEnabled = true;
        QString proposed = "x";
        WhenShown([&](QWidget* modal) {
            auto* browser = static_cast<TFolderBrowser*>(modal);
            browser->SetSelection(QString());
            okEnabled = browser->OkButton()->isEnabled();
            proposed = browser->EditBox()->text();
            browser->CancelButton()->click();
        });
        w.Form->BtnBrowse->click();
        QVERIFY(!okEnabled);
        QCOMPARE(proposed, QString());
        QCOMPARE(w.Form->EditPath->text(), QString("/typed/Shop"));
    }

    void browseNeedsATrimmedDefaultName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank before") << " Tarnovell" << "Not Trimmed Default Direcdtory Name";
        QTest::newRow("empty") << "" << "Default Direcdtory Name Is Empty";
    }

    void browseNeedsATrimmedDefaultName()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        std::string folder = "/";
        try {
            BrowseNamedDir(name.toStdString(), folder, "", "", "", "");
            QFAIL("shown");
        } catch (const EAssertionFailed& e) {
            QCOMPARE(QString::fromStdString(e.Text()), message);
        }
    }

    void installationSucceedsAndLeavesOnlyExit()
    {
        TWizard w;
        w.Next(4);
        QVERIFY(!w.Form->Installing());
        QCOMPARE(w.Form->LbComplete->text(), QString("\nInstallation successful!"));
        QCOMPARE(w.Form->LbComplete->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        QCOMPARE(w.Form->LbProgress->text(), QString("Installation status:"));
        QCOMPARE(w.Form->BtnCancel->text(), QString("Exit"));
        QVERIFY(w.Form->BtnCancel->isEnabled());
        QVERIFY(!w.Form->BtnNext->isVisible());
        QVERIFY(!w.Form->BtnBack->isVisible());
        QVERIFY(RunAfterSetup);
        QCOMPARE(w.Memo().at(9), QString("Checking working software availability   - Ok"));
        QCOMPARE(w.Memo().last(), QString());
        QVERIFY(TSetupTestHome::Exists(w.Home.Folder() + "tarnovell"));
        QCOMPARE(w.Form->TotalSize(), w.Form->Installation().TotalSize());
        w.Form->BtnCancel->click();
        QVERIFY(!w.Form->isVisible());
        QCOMPARE(ProgramToRun, w.Home.Folder() + "tarnovell");
    }

    void overwriteAnswersOfASecondInstallation_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("replaced");
        // Seven existing files: three in the folder, the configuration, three entries.
        QTest::newRow("yes") << "BtnYes" << 7 << true;
        QTest::newRow("yes for all") << "BtnYesToAll" << 1 << true;
        QTest::newRow("no") << "BtnNo" << 7 << false;
        QTest::newRow("no for all") << "BtnNoToAll" << 1 << false;
    }

    void overwriteAnswersOfASecondInstallation()
    {
        QFETCH(QString, button);
        QFETCH(int, questions);
        QFETCH(bool, replaced);
        TWizard w;
        w.Next(4);
        const std::string program = w.Home.Folder() + "tarnovell";
        const std::string carried = TSetupTestHome::Read(program);
        TSetupTestHome::Write(program, "old program");
        TSetupTestHome::Write(w.Home.Desktop() + "Tarnovell.desktop", "old entry");

        w.Restart();
        // The form takes a "for all" answer only after the click returns, so
        // the button says whether another question comes; a timer left armed
        // would answer in the next row with this row's locals gone.
        const bool forAll = button.endsWith("ToAll");
        int asked = 0;
        std::function<void(QWidget*)> answer = [&](QWidget* modal) {
            ++asked;
            static_cast<TConfirmForm*>(modal)->findChild<QPushButton*>(button)->click();
            if (!forAll && asked < 7)
                WhenShown(answer);
        };
        WhenShown(answer);
        w.Next(4);
        QCOMPARE(asked, questions);
        QCOMPARE(w.Form->LbComplete->text(), QString("\nInstallation successful!"));
        QCOMPARE(TSetupTestHome::Read(program), replaced ? carried : std::string("old program"));
        QCOMPARE(TSetupTestHome::Read(w.Home.Desktop() + "Tarnovell.desktop") == "old entry", !replaced);
    }

    void uncheckedLaunchStartsNothing()
    {
        TWizard w;
        w.Next(4);
        QVERIFY(RunAfterSetup);
        w.Form->CbExec->setChecked(false);
        w.Form->close();
        QVERIFY(!RunAfterSetup);
        QCOMPARE(ProgramToRun, std::string());
    }

    void failedInstallationMayRunAgain()
    {
        TWizard w;
        const std::string parent = w.Home.Home() + "/Apps";
        w.Next(2);
        w.Form->EditPath->setText(QString::fromStdString(parent + "/Tarnovell"));
        w.Next(2);
        QCOMPARE(w.Form->LbComplete->text(),
                 QString("Errors occured while installing the program.\nInstallation uncomplete!"));
        QCOMPARE(w.Form->BtnCancel->text(), QString("Exit"));
        QVERIFY(w.Form->BtnNext->isVisible());
        QVERIFY(w.Form->BtnBack->isVisible());
        QVERIFY(!RunAfterSetup);
        QCOMPARE(w.Memo().last(), "    Could'n find the directory  \"" + QString::fromStdString(parent) + "/\"");
        QVERIFY(QDir().mkpath(QString::fromStdString(parent)));
        w.Next();
        QCOMPARE(w.Form->LbComplete->text(), QString("\nInstallation successful!"));
        QCOMPARE(w.Memo().at(0), QString("Installation language"));
        QVERIFY(TSetupTestHome::Exists(parent + "/Tarnovell/tarnovell"));
        QVERIFY(RunAfterSetup);
    }

    // Lines wider than the memo bring its horizontal bar; the last line, the
    // failing step's reason, stays in view at the left edge.
    void memoKeepsItsLastLineInView()
    {
        TWizard w;
        const std::string parent = w.Home.Home() + "/a rather long folder name of the shop";
        QVERIFY(QDir().mkpath(QString::fromStdString(parent)));
        QVERIFY(QDir().mkpath(QString::fromStdString(w.Home.Home() + "/.config")));
        TSetupTestHome::Write(w.Home.Home() + "/.config/tarnovell", "not a folder");
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(w.Form->BtnNext, Qt::LeftButton);
        w.Form->EditPath->clear();
        QTest::keyClicks(w.Form->EditPath, QString::fromStdString(parent + "/Tarnovell"));
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(w.Form->BtnNext, Qt::LeftButton);
        QCoreApplication::processEvents();
        QPlainTextEdit* memo = w.Form->MemoProgress;
        QVERIFY(memo->horizontalScrollBar()->isVisible());
        QCOMPARE(w.Memo().last(), "    " + QString::fromStdString(w.Home.Home()) +
                                      "/.config/tarnovell/registry: Not a directory");
        const QRect last = memo->cursorRect(QTextCursor(memo->document()->lastBlock()));
        QVERIFY2(memo->viewport()->rect().contains(last), "the last line is in view");
        QCOMPARE(memo->horizontalScrollBar()->value(), 0);
    }

    // A folder with a % sign is refused on the folder page with the reason.
    void percentSignInTheFolderIsRefused()
    {
        TWizard w;
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(w.Form->BtnNext, Qt::LeftButton);
        w.Form->EditPath->clear();
        QTest::keyClicks(w.Form->EditPath, QString::fromStdString(w.Home.Home() + "/100%/Tarnovell"));
        QTest::mouseClick(w.Form->BtnNext, Qt::LeftButton);
        QCOMPARE(w.Form->Page(), 3);
        QCOMPARE(w.Form->LbComplete->text().trimmed(), QString("The folder name must not contain the character %"));
        QVERIFY(w.Form->EditPath->hasFocus() || !w.Form->isActiveWindow());
        QTest::keyClick(w.Form->EditPath, Qt::Key_End);
        for (int i = 0; i < 15; ++i)
            QTest::keyClick(w.Form->EditPath, Qt::Key_Backspace);
        QTest::keyClicks(w.Form->EditPath, "/Tarnovell");
        QTest::mouseClick(w.Form->BtnNext, Qt::LeftButton);
        QCOMPARE(w.Form->Page(), 4);
        QCOMPARE(w.Form->InstallPath(), w.Home.Home() + "/Tarnovell/");
    }

    void closeBoxAndCancelWaitWhileAStepRuns()
    {
        TWizard w;
        bool visibleAfter = false;
        bool cancelEnabled = true;
        w.Form->Installation().CloseProgram = [&](const std::string&) {
            cancelEnabled = w.Form->BtnCancel->isEnabled();
            w.Form->BtnCancel->click();
            w.Form->close();
            QCoreApplication::processEvents();
            visibleAfter = w.Form->isVisible();
            return true;
        };
        w.Next(4);
        QVERIFY(!cancelEnabled);
        QVERIFY(visibleAfter);
        QVERIFY(w.Form->isVisible());
        QCOMPARE(w.Form->LbComplete->text(), QString("\nInstallation successful!"));
    }

    void checkBoxesLetThePictureThrough()
    {
        TWizard w;
        QVERIFY(w.Form->findChild<QCheckBox*>("CbMenu") == nullptr);
        QVERIFY(w.Form->findChild<QCheckBox*>("CbDesktop") == nullptr);
        QCOMPARE(w.Form->CbMenu->objectName(), QString("CbMenuasTransparent"));
        QVERIFY(w.Form->CbMenu->isChecked());
        QVERIFY(w.Form->CbDesktop->isChecked());
        QCOMPARE(w.Form->CbMenu->size(), QSize(281, 17));
        QCOMPARE(w.Form->CbMenu->text(), QString("Create a program group in Start Menu"));
        QPixmap red(600, 350);
        red.fill(Qt::red);
        w.Form->Image->setPixmap(red);
        w.Next(2);
        const QImage folderPage = w.Form->grab().toImage();
        for (QCheckBox* box : {w.Form->CbMenu, w.Form->CbDesktop}) {
            const QPoint beside = box->geometry().topRight() + QPoint(-3, 8);
            QCOMPARE(folderPage.pixelColor(beside), QColor(Qt::red));
        }
        w.Next();
        const QImage summary = w.Form->grab().toImage();
        QCOMPARE(summary.pixelColor(w.Form->CbExec->geometry().topRight() + QPoint(-3, 8)), QColor(Qt::white));
        // The tab order keeps the replaced boxes' places.
        QCOMPARE(w.Form->BtnBrowse->nextInFocusChain(), static_cast<QWidget*>(w.Form->CbMenu));
        QCOMPARE(w.Form->CbMenu->nextInFocusChain(), static_cast<QWidget*>(w.Form->CbDesktop));
    }

    void replacementNeedsItsArguments_data()
    {
        QTest::addColumn<int>("wrong");
        QTest::addColumn<QString>("message");
        QTest::newRow("no owner") << 0 << "Not assigned AOwner param";
        QTest::newRow("no box") << 1 << "Not assigned replaced param";
        QTest::newRow("owner not a widget") << 2 << "AOwner param not is TWinControl";
    }

    void replacementNeedsItsArguments()
    {
        QFETCH(int, wrong);
        QFETCH(QString, message);
        QWidget owner;
        QObject plain;
        auto* box = new QCheckBox(&owner);
        try {
            TTranspCheckBox::Create(wrong == 0 ? nullptr : wrong == 2 ? &plain : static_cast<QObject*>(&owner),
                                    wrong == 1 ? nullptr : box);
            QFAIL("replaced");
        } catch (const EAssertionFailed& e) {
            QCOMPARE(QString::fromStdString(e.Text()), message);
        }
    }

    void escapedErrorShowsInTheBottomLabel()
    {
        TWizard w;
        auto* button = new QPushButton(w.Form.get());
        button->setGeometry(0, 0, 20, 20);
        button->show();
        connect(button, &QPushButton::clicked, [] { TV_ASSERT(false, "Strange Group Mode Value"); });
        QTest::mouseClick(button, Qt::LeftButton);
        const QString text = w.Form->LbComplete->text();
        const QRegularExpression shown("^Strange Group Mode Value.* \\(EAssertionFailed :[0-9A-F]{8,}\\)$");
        QVERIFY2(shown.match(text).hasMatch(), qPrintable(text));
        QCOMPARE(w.Form->Page(), 1);
        QVERIFY(w.Form->isVisible());

        // A text of two lines keeps its line break, without the CR.
        disconnect(button, &QPushButton::clicked, nullptr, nullptr);
        connect(button, &QPushButton::clicked, [] { throw std::runtime_error("First line\r\nsecond line"); });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY2(w.Form->LbComplete->text().startsWith("First line\nsecond line ("),
                 qPrintable(w.Form->LbComplete->text()));
    }

    void installedProgramStartsWithoutArguments()
    {
        TSetupTestHome home;
        const std::string script = home.Home() + "/show-args";
        const std::string out = home.Home() + "/args";
        TSetupTestHome::Write(script, "#!/bin/sh\necho \"$#:$*\" > '" + out + "'\nexit 3\n");
        ::chmod(script.c_str(), 0755);
        QCOMPARE(ExecProgram(script, {}, true), 3);
        QCOMPARE(TSetupTestHome::Read(out), std::string("0:\n"));
        QCOMPARE(ExecProgram(home.Home() + "/missing", {}, true), -1);
    }
};

int main(int argc, char** argv)
{
    return testkit::RunUnderFontSetups(argc, argv, [](int argc, char** argv) {
        TSetupApplication app(argc, argv);
        TestSetupMainForm test;
        return QTest::qExec(&test, argc, argv);
    });
}

#include "TestQSetupMainForm.moc"
