// The overwrite question: each answer, the "for all" answers holding until
// the reset, no question for a missing file, the shortened path and texts
// taken when the dialog shows, under each font set-up.

#include "FontSetups.h"
#include "SetupTestHome.h"
#include "UConfirm.h"
#include "UException.h"
#include "USetupTextConst.h"
#include "WhenShown.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace tv;

namespace {

// Answers the next question with the button of that name ("" closes the
// window) and counts the questions.
int Questions = 0;
QString QuestionText;
void AnswerWith(TConfirmForm& form, const QString& button)
{
    WhenShown([&form, button](QWidget*) {
        ++Questions;
        QuestionText = form.LbQuestion->text();
        if (button.isEmpty())
            form.close();
        else
            form.findChild<QPushButton*>(button)->click();
    }, [&form](QWidget* modal) { return modal == &form; });
}

} // namespace

class TestConfirm : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        SetConfirmTexts(EngSetupText);
        Questions = 0;
    }

    void answers_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<int>("groupMode");
        QTest::addColumn<int>("questionsOfThreeFiles");
        QTest::newRow("yes") << "BtnYes" << true << 0 << 3;
        QTest::newRow("yes for all") << "BtnYesToAll" << true << 1 << 1;
        QTest::newRow("no") << "BtnNo" << false << 0 << 3;
        QTest::newRow("no for all") << "BtnNoToAll" << false << 2 << 1;
        QTest::newRow("close box") << "" << false << 0 << 3;
    }

    void answers()
    {
        QFETCH(QString, button);
        QFETCH(bool, allowed);
        QFETCH(int, groupMode);
        QFETCH(int, questionsOfThreeFiles);
        TSetupTestHome home;
        const std::string file = home.Home() + "/tarnovell";
        TSetupTestHome::Write(file, "old");
        TConfirmForm form;
        for (int i = 0; i < 3; ++i) {
            // Only a question that will come gets its answer ready.
            if (form.GroupMode() == 0)
                AnswerWith(form, button);
            QCOMPARE(form.CanWriteFile(file), allowed);
        }
        QCOMPARE(Questions, questionsOfThreeFiles);
        QCOMPARE(form.GroupMode(), groupMode);
        QCOMPARE(form.CanWriteFile(home.Home() + "/missing"), true);
        QCOMPARE(Questions, questionsOfThreeFiles);

        // The next run asks again.
        form.ResetGroupMode();
        AnswerWith(form, "BtnNo");
        QCOMPARE(form.CanWriteFile(file), false);
        QCOMPARE(Questions, questionsOfThreeFiles + 1);
    }

    void questionShowsTheFileShortened()
    {
        TSetupTestHome home;
        const std::string folder = home.Home() + "/" + std::string(80, 'f') + "/" + std::string(80, 'g');
        QDir().mkpath(QString::fromStdString(folder));
        const std::string file = folder + "/tarnovell.cfg";
        TSetupTestHome::Write(file, "old");
        TConfirmForm form;
        AnswerWith(form, "BtnYes");
        QVERIFY(form.CanWriteFile(file));
        const QStringList lines = QuestionText.split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString("The file already exists."));
        QVERIFY2(lines[1].contains("...") && lines[1].endsWith("/tarnovell.cfg"), qPrintable(lines[1]));
        QVERIFY(lines[1].startsWith(QString::fromStdString(home.Home().substr(0, 4))));
        QVERIFY(form.LbQuestion->fontMetrics().horizontalAdvance(lines[1]) <= form.LbQuestion->width());
        QCOMPARE(lines[2], QString("Overwrite an existing file?"));
    }

    void textsTakenWhenShown()
    {
        TSetupTestHome home;
        const std::string file = home.Home() + "/tarnovell";
        TSetupTestHome::Write(file, "old");
        TConfirmForm form;
        QCOMPARE(form.BtnYesToAll->text(), QString("Yes for all"));
        SetConfirmTexts(UkrSetupText);
        QString caption;
        QString yesToAll;
        WhenShown([&](QWidget*) {
            caption = form.windowTitle();
            yesToAll = form.BtnYesToAll->text();
            form.BtnNo->click();
        });
        form.CanWriteFile(file);
        QCOMPARE(caption, QString("Підтвердження заміни файлу"));
        QCOMPARE(yesToAll, QString("Так для всіх"));
    }

    void emptyTextStopsTheCreation_data()
    {
        QTest::addColumn<int>("text");
        QTest::addColumn<QString>("message");
        const char* names[] = {"stConfirmFormCaption", "stFileExists", "stReplaceQuestion", "stBtnYes",
                               "stBtnYesToAll", "stBtnNo", "stBtnNoToAll"};
        for (int i = 0; i < 7; ++i)
            QTest::newRow(names[i]) << i << QString("Not Assigned ") + names[i];
    }

    void emptyTextStopsTheCreation()
    {
        QFETCH(int, text);
        QFETCH(QString, message);
        std::string* texts[] = {&stConfirmFormCaption, &stFileExists, &stReplaceQuestion, &stBtnYes,
                                &stBtnYesToAll, &stBtnNo, &stBtnNoToAll};
        texts[text]->clear();
        try {
            TConfirmForm form;
            QFAIL("created");
        } catch (const EAssertionFailed& e) {
            QCOMPARE(QString::fromStdString(e.Text()), message);
        }
    }
};

int main(int argc, char** argv)
{
    return tv::testkit::RunUnderFontSetups(argc, argv, [](int argc, char** argv) {
        QApplication app(argc, argv);
        TestConfirm test;
        return QTest::qExec(&test, argc, argv);
    });
}
#include "TestQConfirm.moc"
