// Choosing keyboard layouts by language, and the keyboard calls where the
// desktop's keyboard cannot be reached (the offscreen platform).

#include "UKeyboard.h"

#include <QGuiApplication>
#include <QStringList>
#include <QTest>

using namespace tv;

namespace {

// "us:0,ru:1" for the layouts.
QString Describe(const std::vector<TKeyboardLayout>& layouts)
{
    QStringList parts;
    for (const TKeyboardLayout& layout : layouts)
        parts << QString("%1:%2").arg(QString::fromStdString(layout.Name)).arg(layout.Group);
    return parts.join(',');
}

std::vector<TKeyboardLayout> Layouts(const QString& names)
{
    std::vector<TKeyboardLayout> layouts;
    int group = 0;
    for (const QString& name : names.split(',', Qt::SkipEmptyParts)) {
        const std::string code = name.section('(', 0, 0).toStdString();
        layouts.push_back({group++ % 4, name.toStdString(), LayoutLanguageId(code)});
    }
    return layouts;
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void callsWithoutKeyboardDoNothing()
    {
        QCOMPARE(QGuiApplication::platformName(), QString("offscreen"));
        QVERIFY(!KeyboardAvailable());
        QVERIFY(!NumLockState().has_value());
        QVERIFY(!ToggleNumLock());
        QVERIFY(!NumLockOn());
        QVERIFY(!NumLockOff());
        QVERIFY(KeyboardLayouts().empty());
        QVERIFY(!ActivateKeyboardGroup(0));
        QVERIFY(!ActiveKeyboardGroup().has_value());
        QCOMPARE(ActiveKeyboardLanguageId(), std::uint16_t(0));
        QVERIFY(!SelectKeyboardLayout("00000419", true));
        QVERIFY(!SelectKeyboardLayout("00000409", false));
        QVERIFY(!LoadKeyboardLayoutActive("00000419"));
        QVERIFY(!AddKeyboardLayout("ru"));
    }

    void findKeyboardLayout_data()
    {
        QTest::addColumn<QString>("layouts");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("index");
        QTest::newRow("russian") << "us,ru" << "00000419" << 1;
        QTest::newRow("english") << "us,ru" << "00000409" << 0;
        QTest::newRow("ukrainian missing") << "us,ru" << "00000422" << -1;
        QTest::newRow("two of one language: the later") << "ru,us,ru(phonetic)" << "00000419" << 2;
        QTest::newRow("language not at the fifth character") << "us,ru" << "04190000" << -1;
        QTest::newRow("first occurrence decides") << "us,ru" << "04190419" << -1;
        QTest::newRow("hexadecimal letters in either case") << "us,fr" << "0000040c" << 1;
        QTest::newRow("layout of unknown language") << "xx" << "00000000" << -1;
        QTest::newRow("empty id") << "us" << "" << -1;
        QTest::newRow("no layouts") << "" << "00000419" << -1;
        QTest::newRow("only the first 20 layouts")
            << "us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,ru" << "00000419" << -1;
        QTest::newRow("the 20th layout counts")
            << "us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,us,ru" << "00000419" << 19;
    }

    void findKeyboardLayout()
    {
        QFETCH(QString, layouts);
        QFETCH(QString, id);
        QFETCH(int, index);
        QCOMPARE(FindKeyboardLayout(Layouts(layouts), id.toStdString()), index);
    }

    void parseKeyboardSymbols_data()
    {
        QTest::addColumn<QString>("symbols");
        QTest::addColumn<QString>("layouts");
        QTest::newRow("two layouts with options") << "pc+us+ru:2+inet(evdev)+group(alt_shift_toggle)" << "us:0,ru:1";
        QTest::newRow("one layout") << "pc+us+inet(evdev)" << "us:0";
        QTest::newRow("variant") << "pc+de(nodeadkeys)+inet(evdev)" << "de:0";
        QTest::newRow("three layouts") << "pc+us+ru(phonetic):2+ua:3+inet(evdev)" << "us:0,ru:1,ua:2";
        QTest::newRow("groups out of order") << "pc+ua:3+us+ru:2" << "us:0,ru:1,ua:2";
        QTest::newRow("more than four groups") << "pc+us+ru:2+ua:3+by:4+de:5" << "us:0,ru:1,ua:2,by:3";
        QTest::newRow("empty") << "" << "";
    }

    void parseKeyboardSymbols()
    {
        QFETCH(QString, symbols);
        QFETCH(QString, layouts);
        QCOMPARE(Describe(ParseKeyboardSymbols(symbols.toStdString())), layouts);
    }

    // The language of a layout and the two-letter name the password prompt
    // shows for it.
    void languageOfLayout_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("iso");
        QTest::newRow("us") << "us" << 0x0409 << "en";
        QTest::newRow("ru") << "ru" << 0x0419 << "ru";
        QTest::newRow("ua") << "ua" << 0x0422 << "uk";
        QTest::newRow("gb: a sublanguage of English") << "gb" << 0x0809 << "en";
        QTest::newRow("by") << "by" << 0x0423 << "be";
        QTest::newRow("rs: Serbian, not Croatian") << "rs" << 0x0C1A << "sr";
        QTest::newRow("no: Bokmal") << "no" << 0x0414 << "nb";
        QTest::newRow("ro: shared with md") << "ro" << 0x0418 << "ro";
        QTest::newRow("unknown") << "xx" << 0 << "";
    }

    void languageOfLayout()
    {
        QFETCH(QString, layout);
        QFETCH(int, language);
        QFETCH(QString, iso);
        QCOMPARE(int(LayoutLanguageId(layout.toStdString())), language);
        QCOMPARE(QString::fromStdString(LanguageIsoName(std::uint16_t(language))), iso);
        QCOMPARE(QString::fromStdString(LanguageLayout(std::uint16_t(language))), language == 0 ? QString() : layout);
    }
};

QTEST_MAIN(TestKeyboard)
#include "TestQKeyboard.moc"
