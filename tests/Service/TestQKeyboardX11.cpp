// NumLock and layouts on a real X server: the test starts its own virtual
// X server and runs on the xcb platform; without the server it is skipped.

#include "UKeyboard.h"

#include "VirtualXServer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <X11/XKBlib.h>

using namespace tv;

namespace {

QString ServerDisplay;  // ":N" of the started server, empty when none

int ActiveGroup()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return -1;
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    XCloseDisplay(display);
    return state.group;
}

} // namespace

class TestKeyboardX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (ServerDisplay.isEmpty()) QSKIP("no virtual X server to run on");
        QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
    }

    void numLock()
    {
        QVERIFY(KeyboardAvailable());
        QVERIFY(NumLockOff());
        QCOMPARE(NumLockState(), std::optional<bool>(false));
        QVERIFY(NumLockOff());
        QCOMPARE(NumLockState(), std::optional<bool>(false));
        QVERIFY(ToggleNumLock());
        QCOMPARE(NumLockState(), std::optional<bool>(true));
        QVERIFY(NumLockOn());
        QCOMPARE(NumLockState(), std::optional<bool>(true));
        QVERIFY(NumLockOff());
        QCOMPARE(NumLockState(), std::optional<bool>(false));
    }

    void layoutsByLanguage()
    {
        const QString setter = QStandardPaths::findExecutable("setxkbmap");
        if (setter.isEmpty()) QSKIP("no tool to give the server two layouts");
        QCOMPARE(QProcess::execute(setter, {"-display", ServerDisplay, "-layout", "us,ru"}), 0);
        const std::vector<TKeyboardLayout> layouts = KeyboardLayouts();
        QCOMPARE(layouts.size(), std::size_t(2));
        QCOMPARE(layouts[1].Name, std::string("ru"));
        QCOMPARE(layouts[1].LanguageId, std::uint16_t(0x0419));

        QVERIFY(SelectKeyboardLayout("00000419", false));
        QCOMPARE(ActiveGroup(), 0);
        QVERIFY(SelectKeyboardLayout("00000419", true));
        QCOMPARE(ActiveGroup(), 1);
        QCOMPARE(ActiveKeyboardGroup(), std::optional<int>(1));
        QCOMPARE(ActiveKeyboardLanguageId(), std::uint16_t(0x0419));
        QVERIFY(LoadKeyboardLayoutActive("00000409"));
        QCOMPARE(ActiveGroup(), 0);
        QCOMPARE(ActiveKeyboardLanguageId(), std::uint16_t(0x0409));
        QVERIFY(!SelectKeyboardLayout("00000422", true));
        QCOMPARE(ActiveGroup(), 0);
        QVERIFY(!ActivateKeyboardGroup(3));
    }

    // A layout the keyboard lacks is added as a further group and
    // activated, the others kept; a keyboard of four groups takes no more.
    void missingLayoutIsAdded()
    {
        const QString setter = QStandardPaths::findExecutable("setxkbmap");
        if (setter.isEmpty()) QSKIP("no tool to change the server's layouts");
        QCOMPARE(QProcess::execute(setter, {"-display", ServerDisplay, "-layout", "us,ru", "-variant", ",phonetic"}), 0);
        QVERIFY(LoadKeyboardLayoutActive("00000422"));
        const std::vector<TKeyboardLayout> layouts = KeyboardLayouts();
        QCOMPARE(layouts.size(), std::size_t(3));
        QCOMPARE(layouts[1].Name, std::string("ru"));
        QCOMPARE(layouts[2].Name, std::string("ua"));
        QCOMPARE(ActiveGroup(), 2);
        QProcess query;
        query.start(setter, {"-display", ServerDisplay, "-query"});
        QVERIFY(query.waitForFinished(5000));
        const QString settings = QString::fromLatin1(query.readAllStandardOutput());
        QVERIFY2(settings.contains(QRegularExpression("variant:\\s*,phonetic,\\s")), qPrintable(settings));
        QVERIFY(LoadKeyboardLayoutActive("00000419"));
        QCOMPARE(ActiveGroup(), 1);
        QCOMPARE(KeyboardLayouts().size(), std::size_t(3));
        QVERIFY(!LoadKeyboardLayoutActive("00000000"));
        QVERIFY(!LoadKeyboardLayoutActive("0000zz19"));

        QCOMPARE(QProcess::execute(setter, {"-display", ServerDisplay, "-layout", "us,ru,de,fr"}), 0);
        QVERIFY(!LoadKeyboardLayoutActive("00000422"));
        QCOMPARE(KeyboardLayouts().size(), std::size_t(4));
    }
};

int main(int argc, char** argv)
{
    return tv::testkit::ExecOnVirtualX<TestKeyboardX11>(argc, argv, "640x480x24", ServerDisplay);
}

#include "TestQKeyboardX11.moc"
