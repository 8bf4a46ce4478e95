// The password prompt and the password change dialog over a password store
// in a temporary folder.

#include "UFormPass.h"
#include "UFormPassChange.h"

#include "DialogTestKit.h"
#include "UAppSelect.h"
#include "UCodePage.h"
#include "UFileUtils.h"
#include "UPassword.h"
#include "URegistry.h"
#include "UTextConst.h"

#include <QApplication>
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

const char* const TestKey = "\\SOFTWARE\\TarnovellPassFormsTest";

void WhenShown(QDialog& dialog, std::function<void()> action)
{
    QTimer::singleShot(0, &dialog, [&dialog, action]() {
        if (!dialog.isVisible()) {
            WhenShown(dialog, action);
            return;
        }
        action();
    });
}

// Runs the steps one after another while the dialog is up; each step runs
// after the events of the one before.
void Steps(QDialog& dialog, std::vector<std::function<void()>> steps)
{
    if (steps.empty()) return;
    WhenShown(dialog, [&dialog, steps]() mutable {
        const auto step = steps.front();
        steps.erase(steps.begin());
        step();
        if (dialog.isVisible()) Steps(dialog, steps);
    });
}

void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->clear();
    bool ascii = true;
    for (QChar ch : text) ascii = ascii && ch.unicode() < 128;
    if (ascii)
        QTest::keyClicks(edit, text);
    else
        edit->insert(text);
}

} // namespace

class TestQPassForms : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(testkit::UseConfigHome(FDir));
        LoadEnglishTexts();
    }

    void init()
    {
        FCfg = testkit::FreshConfigPath(FDir, "cfg");
        FOptions = std::make_unique<TSecurityOptions>(FCfg, TestKey);
        FPass = std::make_unique<TPass>(FOptions.get());
    }
    void cleanup()
    {
        FPass.reset();
        FOptions.reset();
    }

    void PromptHiddenWithoutPassword()
    {
        QVERIFY(FPass->SetPassword(""));
        TFormPass form(FPass.get());
        QVERIFY(!form.LoginCancelled());
        QVERIFY(!form.isVisible());
    }

    void PromptWrongThenRight()
    {
        QVERIFY(FPass->SetPassword("Secret"));
        TFormPass form(FPass.get());
        QCOMPARE(form.windowTitle(), QString("Warehouse log in"));
        QCOMPARE(form.LbPass->text(), QString("Enter password:"));
        QCOMPARE(form.BtnCancel->text(), QString("Cancel"));
        QCOMPARE(form.EditPass->echoMode(), QLineEdit::Password);
        QString afterWrong, afterEdit;
        bool stillOpen = false;
        Steps(form, {
                        [&] { Type(form.EditPass, "secret"); QTest::keyClick(form.EditPass, Qt::Key_Return); },
                        [&] {
                            afterWrong = form.LbResult->text();
                            stillOpen = form.isVisible();
                            QTest::keyClick(form.EditPass, Qt::Key_Backspace);
                            afterEdit = form.LbResult->text();
                        },
                        [&] { Type(form.EditPass, "Secret"); QTest::mouseClick(form.BtnOK, Qt::LeftButton); },
                    });
        QVERIFY(!form.LoginCancelled());
        QCOMPARE(afterWrong, QString("Incorrect old password.."));
        QVERIFY(stillOpen);
        QCOMPARE(afterEdit, QString());
    }

    // A typed text too long to digest is a wrong password, not a failure.
    void OverlongTypedPasswordIsWrong()
    {
        QVERIFY(FPass->SetPassword("Secret"));
        const QString longText(70000, QChar('s'));
        const auto typeLong = [&longText](QLineEdit* edit) {
            edit->setMaxLength(longText.size());
            edit->setText(longText);
        };
        QString prompted;
        TFormPass prompt(FPass.get());
        Steps(prompt, {[&] {
                           typeLong(prompt.EditPass);
                           prompt.BtnOK->click();
                       },
                       [&] {
                           prompted = prompt.LbResult->text();
                           prompt.BtnCancel->click();
                       }});
        QVERIFY(prompt.LoginCancelled());
        QCOMPARE(prompted, QString("Incorrect old password.."));

        QString changed;
        TFormPassChange change(FPass.get());
        Steps(change, {[&] {
                           typeLong(change.EditPass);
                           change.EditNewPass->setText("New");
                           change.EditNewPassConfirm->setText("New");
                           change.BtnOK->click();
                       },
                       [&] {
                           changed = change.LbResult->text();
                           change.BtnCancel->click();
                       }});
        QCOMPARE(change.exec(), 2);
        QCOMPARE(changed, QString("Incorrect old password.."));
        QVERIFY(FPass->Check("Secret"));
    }

    void PromptCancelled_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Esc") << 0;
        QTest::newRow("Cancel button") << 1;
        QTest::newRow("close box") << 2;
        QTest::newRow("Esc after a wrong try") << 3;
    }
    void PromptCancelled()
    {
        QFETCH(int, how);
        QVERIFY(FPass->SetPassword("Secret"));
        TFormPass form(FPass.get());
        int result = -1;
        connect(&form, &QDialog::finished, this, [&result](int r) { result = r; });
        std::vector<std::function<void()>> steps;
        if (how == 3) steps.push_back([&] { Type(form.EditPass, "x"); form.BtnOK->click(); });
        steps.push_back([&] {
            switch (how) {
            case 0:
            case 3: QTest::keyClick(form.EditPass, Qt::Key_Escape); break;
            case 1: QTest::mouseClick(form.BtnCancel, Qt::LeftButton); break;
            case 2: form.close(); break;
            }
        });
        Steps(form, steps);
        QVERIFY(form.LoginCancelled());
        QCOMPARE(result, how == 0 || how == 3 ? PassEscapeResult : 2);
    }

    // The terminate message of a second copy or the setup ends the prompt
    // as cancelled; the restore message answers with the prompt.
    void PromptInstanceMessages()
    {
        QVERIFY(FPass->SetPassword("Secret"));
        TFormPass form(FPass.get());
        const TWindow window = WindowOfWidget(&form);
        QVERIFY(window != 0);
        std::intptr_t restored = 0;
        Steps(form, {
                        [&] {
                            TMessage restore{WM_RESTOREINSTANCE, 0, 0, 0};
                            QVERIFY(SendWindowMessage(window, restore));
                            restored = restore.Result;
                        },
                        [&] {
                            TMessage terminate{WM_TERMINATEINSTANCE, 0, 0, 0};
                            SendWindowMessage(window, terminate);
                        },
                    });
        QVERIFY(form.LoginCancelled());
        QCOMPARE(restored, static_cast<std::intptr_t>(window));
        // The end of the application's loops stays in force until the
        // application loop runs again; let it run once for the tests after.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }

    void PromptWithNothingStored()
    {
        TFormPass form(FPass.get());
        QCOMPARE(FOptions->GetPassword(), 0u);
        QString result;
        Steps(form, {
                        [&] { form.EditPass->clear(); form.BtnOK->click(); },
                        [&] { result = form.LbResult->text(); form.BtnCancel->click(); },
                    });
        QVERIFY(form.LoginCancelled());
        QCOMPARE(result, QString("Incorrect old password.."));
    }

    void KeyboardLanguageLabel()
    {
        TFormPass form(FPass.get());
        const QString code = form.LbLang->text();
        QCOMPARE(code.size(), 2);
        QCOMPARE(code, code.toUpper());
        // A layout switch is shown once the switch has taken effect, at the
        // next message.
        form.LbLang->setText("??");
        QEvent change(QEvent::KeyboardLayoutChange);
        QCoreApplication::sendEvent(form.EditPass, &change);
        QCOMPARE(form.LbLang->text(), QString("??"));
        QTRY_COMPARE(form.LbLang->text(), code);
        // The X11 platform reports no layout switch: a key release, which
        // ends every switch by keys, counts as one.
        form.LbLang->setText("??");
        QTest::keyRelease(form.EditPass, Qt::Key_Shift, Qt::AltModifier);
        QTRY_COMPARE(form.LbLang->text(), code);
    }

    // Passwords that code page 1251 holds are stored as the digest of their
    // 1251 bytes; others as the digest of their UTF-8 bytes.
    void PasswordBytesOfTexts()
    {
        QCOMPARE(PasswordBytes("abc"), std::string("abc"));
        QCOMPARE(PasswordBytes(QString::fromUtf8("Пароль")), Utf8ToCp1251("Пароль"));
        QCOMPARE(PasswordBytes(QString::fromUtf8("Пароль€")), Utf8ToCp1251("Пароль€"));
        QCOMPARE(PasswordBytes(QString::fromUtf8("密码")), std::string("密码"));
        QCOMPARE(PasswordBytes(QString()), std::string());
    }

    void Change_data()
    {
        QTest::addColumn<QString>("stored");   // "-" for no password
        QTest::addColumn<QString>("oldText");
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("message");  // empty: the dialog closes with 1
        QTest::addColumn<QString>("opens");    // what the stored password then is
        QTest::newRow("set the first password") << "-" << "" << "abc" << "abc" << "" << "abc";
        QTest::newRow("no password: old must be empty") << "-" << "x" << "abc" << "abc"
                                                        << "Incorrect old password.." << "";
        QTest::newRow("change") << "old" << "old" << "new" << "new" << "" << "new";
        QTest::newRow("wrong old password") << "old" << "Old" << "new" << "new"
                                            << "Incorrect old password.." << "old";
        QTest::newRow("mismatch by case") << "old" << "old" << "new" << "New"
                                          << "The new password does not match.." << "old";
        QTest::newRow("confirmation missing") << "old" << "old" << "new" << ""
                                              << "The new password does not match.." << "old";
        QTest::newRow("empty new password removes it") << "old" << "old" << "" << "" << "" << "";
        QTest::newRow("cyrillic password") << "-" << "" << QString::fromUtf8("Склад1") << QString::fromUtf8("Склад1")
                                           << "" << QString::fromUtf8("Склад1");
    }
    void Change()
    {
        QFETCH(QString, stored);
        QFETCH(QString, oldText);
        QFETCH(QString, newText);
        QFETCH(QString, confirm);
        QFETCH(QString, message);
        QFETCH(QString, opens);
        QVERIFY(FPass->SetPassword(stored == "-" ? std::string() : PasswordBytes(stored)));
        TFormPassChange form(FPass.get());
        QString shown;
        Steps(form, {
                        [&] {
                            Type(form.EditPass, oldText);
                            Type(form.EditNewPass, newText);
                            Type(form.EditNewPassConfirm, confirm);
                            QTest::keyClick(form.EditNewPassConfirm, Qt::Key_Return);
                        },
                        [&] {
                            shown = form.LbResult->text();
                            form.BtnCancel->click();
                        },
                    });
        const int result = form.exec();
        QCOMPARE(result, message.isEmpty() ? 1 : 2);
        QCOMPARE(shown, message);
        QVERIFY(FPass->Check(PasswordBytes(opens)));
        QCOMPARE(FPass->IsEmpty(), opens.isEmpty());
        // A later start reads the same from the file.
        TSecurityOptions again(FCfg, TestKey);
        TPass pass(&again);
        QVERIFY(pass.Check(PasswordBytes(opens)));
        TFormPass prompt(&pass);
        if (opens.isEmpty()) QVERIFY(!prompt.LoginCancelled());
    }

    void ChangeTextsAndFreshShow()
    {
        QVERIFY(FPass->SetPassword(""));
        TFormPassChange form(FPass.get());
        QCOMPARE(form.windowTitle(), QString("Change password"));
        QCOMPARE(form.LbPass->text(), QString("Enter the old password:"));
        QCOMPARE(form.LbNewPass->text(), QString("Enter a new password:"));
        QCOMPARE(form.LbNewPassConfirm->text(), QString("Enter the new password again:"));
        QCOMPARE(form.BtnCancel->text(), QString("Exit"));
        QCOMPARE(form.BtnCancel->toolTip(), QString("Close the password change window"));
        QCOMPARE(form.BtnOK->toolTip(), QString("Set the new password"));
        for (QLineEdit* e : {form.EditPass, form.EditNewPass, form.EditNewPassConfirm})
            QCOMPARE(e->echoMode(), QLineEdit::Password);

        Steps(form, {[&] {
                  Type(form.EditPass, "x");
                  Type(form.EditNewPass, "y");
                  form.BtnOK->click();
              },
                     [&] { QTest::keyClick(form.EditPass, Qt::Key_Escape); }});
        QCOMPARE(form.exec(), 2);
        QVERIFY(FPass->IsEmpty());

        bool empty = false;
        QWidget* focus = nullptr;
        Steps(form, {[&] {
            empty = form.EditPass->text().isEmpty() && form.EditNewPass->text().isEmpty() &&
                    form.EditNewPassConfirm->text().isEmpty() && form.LbResult->text().isEmpty();
            focus = form.focusWidget();
            form.close();
        }});
        QCOMPARE(form.exec(), 2);
        QVERIFY(empty);
        QCOMPARE(focus, form.EditPass);

        LoadRussianTexts();
        form.ApplyLanguage();
        QCOMPARE(form.windowTitle().toStdString(), TextTable[SlotChangePasswordButton]);
        QCOMPARE(form.BtnCancel->toolTip().toStdString(), TextTable[SlotPassChangeCloseHint]);
        LoadEnglishTexts();
    }

    // The configuration file cannot be written (its folder is a regular
    // file); the old password comes from the registry fallback.
    void ChangeFailedSave()
    {
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(TestKey, true));
        }
        QVERIFY(FPass->SetPassword("old"));
        const std::string plain = FDir.path().toStdString() + "/plain";
        QVERIFY(WriteFileAtomic(plain, "x"));
        TSecurityOptions broken(plain + "/tarnovell.cfg", TestKey);
        TPass pass(&broken);
        QVERIFY(pass.Check("old"));
        TFormPassChange form(&pass);
        QString shown;
        bool open = false;
        Steps(form, {[&] {
                  Type(form.EditPass, "old");
                  Type(form.EditNewPass, "new");
                  Type(form.EditNewPassConfirm, "new");
                  form.BtnOK->click();
              },
                     [&] {
                         shown = form.LbResult->text();
                         open = form.isVisible();
                         form.BtnCancel->click();
                     }});
        QCOMPARE(form.exec(), 2);
        QVERIFY(open);
        QCOMPARE(shown, QString("Couldn't save the new password.."));
        QVERIFY(!pass.Check("new"));
        TRegistry reg;
        QVERIFY(reg.DeleteKey(TestKey));
    }

    // A password too long to store is refused like a failed save, not by
    // an error escaping the dialog.
    void ChangeOverlongPassword()
    {
        QVERIFY(FPass->SetPassword(""));
        TFormPassChange form(FPass.get());
        QString shown;
        const QString longText(40000, QChar(0x0416 + 0x1000));  // three bytes each in UTF-8
        Steps(form, {[&] {
                  form.EditNewPass->setMaxLength(longText.size());
                  form.EditNewPassConfirm->setMaxLength(longText.size());
                  form.EditNewPass->setText(longText);
                  form.EditNewPassConfirm->setText(longText);
                  form.BtnOK->click();
              },
                     [&] {
                         shown = form.LbResult->text();
                         form.BtnCancel->click();
                     }});
        QCOMPARE(form.exec(), 2);
        QCOMPARE(shown, QString("Couldn't save the new password.."));
        QVERIFY(FPass->IsEmpty());
    }

private:
    QTemporaryDir FDir;
    std::string FCfg;
    std::unique_ptr<TSecurityOptions> FOptions;
    std::unique_ptr<TPass> FPass;
};

QTEST_MAIN(TestQPassForms)
#include "TestQPassForms.moc"
