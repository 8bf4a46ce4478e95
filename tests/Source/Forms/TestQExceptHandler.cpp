// The handler of exceptions that escape an event handler: what its box says,
// and that the program goes on after it.

#include "MessagesTestKit.h"
#include "UException.h"
#include "UExceptHandler.h"
#include "UMessageBoxForm.h"
#include "UMessages.h"
#include "UTextConst.h"

#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace tv;
using tv::testkit::TBox;
using tv::testkit::TRecordingMessages;

namespace {

[[gnu::noinline]] void ThrowConvertError() { throw EConvertError("'12x' is not a valid integer value"); }
[[gnu::noinline]] void ThrowRuntimeError() { throw std::runtime_error("disk on fire"); }
[[gnu::noinline]] void ThrowInt() { throw 42; }

// The offset of a function of this program within it, as the handler reports addresses.
std::uintptr_t ModuleOffset(void (*function)())
{
    Dl_info info{};
    const auto address = reinterpret_cast<std::uintptr_t>(function);
    if (!dladdr(reinterpret_cast<void*>(address), &info) || !info.dli_fbase) return address;
    return address - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
}

std::exception_ptr Captured(void (*thrower)())
{
    try {
        thrower();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// A widget whose key press handler fails, as a faulty action would.
class TFaultyWidget : public QWidget {
protected:
    void keyPressEvent(QKeyEvent*) override { ThrowConvertError(); }
};

} // namespace

class TestQExceptHandler : public QObject {
    Q_OBJECT

private slots:
    void init() { LoadEnglishTexts(); }

    void reportsMessageClassAndThrowSite_data()
    {
        QTest::addColumn<void*>("thrower");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("className");
        QTest::newRow("own exception class") << reinterpret_cast<void*>(&ThrowConvertError)
                                             << "'12x' is not a valid integer value" << "EConvertError";
        QTest::newRow("standard library exception")
            << reinterpret_cast<void*>(&ThrowRuntimeError) << "disk on fire" << "std::runtime_error";
        QTest::newRow("not an exception class") << reinterpret_cast<void*>(&ThrowInt) << "" << "int";
    }

    void reportsMessageClassAndThrowSite()
    {
        QFETCH(void*, thrower);
        QFETCH(QString, message);
        QFETCH(QString, className);
        auto function = reinterpret_cast<void (*)()>(thrower);
        const TExceptionReport report = DescribeException(Captured(function));
        QCOMPARE(QString::fromStdString(report.Message), message);
        QCOMPARE(QString::fromStdString(report.ClassName), className);
        // The address points into the function that threw; a sanitizer
        // build makes the function some 2 KB long.
        const std::uintptr_t start = ModuleOffset(function);
        QVERIFY2(report.Address > start && report.Address < start + 4096,
                 qPrintable(QString::number(report.Address, 16) + " not in " + QString::number(start, 16)));
    }

    void boxTextHasMessageThenClassAndEightHexDigits()
    {
        QCOMPARE(ExceptionBoxText({"Bad value", "EConvertError", 0x4A3Cu}), std::string("Bad value\r\nEConvertError :00004A3C"));
        QCOMPARE(ExceptionBoxText({"Bad value", "EConvertError", 0}), std::string("Bad value\r\nEConvertError :00000000"));
        const std::string wide = ExceptionBoxText({"m", "E", 0x55d0c0ffee12u});
        QVERIFY(QRegularExpression("^m\r\nE :55D0C0FFEE12$").match(QString::fromStdString(wide)).hasMatch());
        // Without a current exception object only the message stands.
        QCOMPARE(ExceptionBoxText(DescribeException(nullptr)), std::string("\r\n"));
    }

    void escapedExceptionShowsBoxAndLoopGoesOn_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("caption");
        QTest::newRow("English") << 2 << "Tarnovell - Execution error";
        QTest::newRow("Russian") << 0 << QString::fromUtf8("Tarnovell - ошибка выполнения");
    }

    void escapedExceptionShowsBoxAndLoopGoesOn()
    {
        QFETCH(int, language);
        QFETCH(QString, caption);
        if (language == 0) LoadRussianTexts();
        TRecordingMessages messages;
        bool laterEventRan = false;
        QTimer::singleShot(0, [] { ThrowConvertError(); });
        QTimer::singleShot(20, [&] { laterEventRan = true; });
        QTRY_VERIFY(laterEventRan);
        QCOMPARE(messages.Boxes.size(), size_t(1));
        const TBox& box = messages.Boxes[0];
        QVERIFY(QString::fromStdString(box.Text).startsWith("'12x' is not a valid integer value\r\nEConvertError :"));
        QCOMPARE(QString::fromStdString(box.Caption), caption);
        QCOMPARE(box.Flags, MB_ONEBUTTON | MB_ICONSTOP);
        QCOMPARE(box.First, std::string("OK"));
        QCOMPARE(box.FirstHint, std::string(TextTable[SlotCloseMessageHint]));
    }

    void failingKeyHandlerLeavesWidgetUsable()
    {
        TRecordingMessages messages;
        TFaultyWidget widget;
        widget.show();
        QTest::keyClick(&widget, Qt::Key_F12);
        QTest::keyClick(&widget, Qt::Key_F12);
        QCOMPARE(messages.Boxes.size(), size_t(2));
        QVERIFY(widget.isVisible());
    }

    void boxIsTheProgramsMessageBoxForm()
    {
        TFormMessageBox form;
        TMessageBoxMessages messages(&form);
        SetMessages(&messages);
        QString shownText, shownCaption;
        QTimer::singleShot(0, [] { ThrowRuntimeError(); });
        // The box is modal: read it while it shows, then close it with Enter.
        QTimer::singleShot(50, [&] {
            shownText = form.LbQuery->text();
            shownCaption = form.windowTitle();
            QTest::keyClick(&form, Qt::Key_Return);
        });
        QTRY_VERIFY(!shownCaption.isEmpty());
        SetMessages(nullptr);
        QVERIFY(shownText.startsWith("disk on fire"));
        QCOMPARE(shownCaption, QString("Tarnovell - Execution error"));
        QTRY_VERIFY(!form.isVisible());
    }
};

int main(int argc, char** argv)
{
    TStoreApplication app(argc, argv);
    TestQExceptHandler test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestQExceptHandler.moc"
