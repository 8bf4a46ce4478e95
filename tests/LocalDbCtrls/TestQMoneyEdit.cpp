#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "UMoneyEdit.h"

using tv::TMoneyEdit;

// Keys of a row: digits, "." and letters are typed; '<' Backspace,
// '>' Delete, 'l' 'r' 'u' 'd' the arrows, 'L' Shift+Left, 'H' Home, 'E' End,
// 'A' select all, 'X' Ctrl+X, 'S' Shift+Delete, 'V' Ctrl+V,
// 'I' Shift+Insert, 'Z' undo, 'W' Ctrl+Backspace, 'k' Ctrl+K, 'T' Alt+5,
// 'B' Alt+Backspace.
static void Press(QWidget* w, const QString& keys) {
    for (QChar k : keys) {
        switch (k.unicode()) {
        case '<': QTest::keyClick(w, Qt::Key_Backspace); break;
        case '>': QTest::keyClick(w, Qt::Key_Delete); break;
        case 'l': QTest::keyClick(w, Qt::Key_Left); break;
        case 'r': QTest::keyClick(w, Qt::Key_Right); break;
        case 'u': QTest::keyClick(w, Qt::Key_Up); break;
        case 'd': QTest::keyClick(w, Qt::Key_Down); break;
        case 'L': QTest::keyClick(w, Qt::Key_Left, Qt::ShiftModifier); break;
        case 'H': QTest::keyClick(w, Qt::Key_Home); break;
        case 'E': QTest::keyClick(w, Qt::Key_End); break;
        case 'A': QTest::keySequence(w, QKeySequence::SelectAll); break;
        case 'X': QTest::keyClick(w, Qt::Key_X, Qt::ControlModifier); break;
        case 'S': QTest::keyClick(w, Qt::Key_Delete, Qt::ShiftModifier); break;
        case 'V': QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier); break;
        case 'I': QTest::keyClick(w, Qt::Key_Insert, Qt::ShiftModifier); break;
        case 'Z': QTest::keySequence(w, QKeySequence::Undo); break;
        case 'W': QTest::keyClick(w, Qt::Key_Backspace, Qt::ControlModifier); break;
        case 'k': QTest::keyClick(w, Qt::Key_K, Qt::ControlModifier); break;
        case 'T': QTest::keyClick(w, Qt::Key_5, Qt::AltModifier); break;
        case 'B': QTest::keyClick(w, Qt::Key_Backspace, Qt::AltModifier); break;
        default: QTest::keyClick(w, static_cast<char>(k.unicode())); break;
        }
    }
}

static int SelStart(const QLineEdit* e) {
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

class TestQMoneyEdit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        auto* layout = new QVBoxLayout(&FWindow);
        FEdit = new TMoneyEdit(&FWindow);
        FEdit->setMaxLength(13);
        FOther = new QLineEdit(&FWindow);
        layout->addWidget(FEdit);
        layout->addWidget(FOther);
        FWindow.show();
        FWindow.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&FWindow));
    }

    void init() {
        FEdit->setReadOnly(false);
        FEdit->setFocus();
        QVERIFY(FEdit->hasFocus());
        QGuiApplication::clipboard()->clear();
    }

    void startsAtZero() {
        TMoneyEdit edit;
        QCOMPARE(edit.text(), QStringLiteral("0.00"));
        QVERIFY(edit.alignment() & Qt::AlignRight);
    }

    void keys_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("wantText");
        QTest::addColumn<int>("wantStart");
        QTest::addColumn<int>("wantLength");
        QTest::addColumn<QString>("wantClip");

        QTest::newRow("1 2 3 4 into 0.00") << "0.00" << 0 << 0 << "1234" << "" << "1'234.00" << 5 << 0 << "";
        QTest::newRow("leading zero refused") << "5.00" << 0 << 0 << "0" << "" << "5.00" << 0 << 0 << "";
        QTest::newRow("point, decimals, third digit ignored") << "12.00" << 1 << 0 << ".456" << "" << "12.45" << 5 << 0 << "";
        QTest::newRow("letters ignored") << "12.00" << 2 << 0 << "ab-" << "" << "12.00" << 2 << 0 << "";
        QTest::newRow("digit typed in front of a mark, caret past it") << "12'345.67" << 2 << 0 << "7" << "" << "127'345.67" << 4 << 0 << "";
        QTest::newRow("backspace after the point moves") << "5.00" << 2 << 0 << "<" << "" << "5.00" << 1 << 0 << "";
        QTest::newRow("backspace at the end") << "5.12" << 4 << 0 << "<" << "" << "5.10" << 3 << 0 << "";
        QTest::newRow("delete in the decimals") << "5.12" << 2 << 0 << ">" << "" << "5.02" << 3 << 0 << "";
        QTest::newRow("delete before the point") << "12.00" << 2 << 0 << ">" << "" << "12.00" << 2 << 0 << "";
        QTest::newRow("delete before a group's last digit") << "12'345.00" << 1 << 0 << ">" << "" << "1'345.00" << 2 << 0 << "";
        QTest::newRow("left over a mark") << "1'234.00" << 2 << 0 << "l" << "" << "1'234.00" << 0 << 0 << "";
        QTest::newRow("up over a mark") << "1'234.00" << 2 << 0 << "u" << "" << "1'234.00" << 0 << 0 << "";
        QTest::newRow("right over a mark") << "1'234.00" << 0 << 0 << "r" << "" << "1'234.00" << 2 << 0 << "";
        QTest::newRow("down over a mark") << "1'234.00" << 0 << 0 << "d" << "" << "1'234.00" << 2 << 0 << "";
        QTest::newRow("up without a mark steps left") << "1'234.00" << 4 << 0 << "u" << "" << "1'234.00" << 3 << 0 << "";
        QTest::newRow("down without a mark steps right") << "1'234.00" << 3 << 0 << "d" << "" << "1'234.00" << 4 << 0 << "";
        QTest::newRow("down to the end") << "1'234.00" << 6 << 0 << "dddd" << "" << "1'234.00" << 8 << 0 << "";
        QTest::newRow("end then left") << "1'234.00" << 0 << 0 << "El" << "" << "1'234.00" << 7 << 0 << "";
        QTest::newRow("home") << "1'234.00" << 5 << 0 << "H" << "" << "1'234.00" << 0 << 0 << "";
        QTest::newRow("shift+left selects") << "1'234.00" << 5 << 0 << "L" << "" << "1'234.00" << 4 << 1 << "";
        QTest::newRow("select all and delete") << "1'234.56" << 0 << 0 << "A>" << "" << "0.00" << 1 << 0 << "";
        QTest::newRow("select all and type") << "1'234.56" << 0 << 0 << "A7" << "" << "7.00" << 1 << 0 << "";
        QTest::newRow("ninth whole digit refused") << "12'345'678.00" << 10 << 0 << "9" << "" << "12'345'678.00" << 10 << 0 << "";
        QTest::newRow("shift+delete cuts") << "1.23" << 2 << 2 << "S" << "" << "1.00" << 4 << 0 << "23";
        QTest::newRow("ctrl+x cuts") << "12'345.00" << 0 << 4 << "X" << "" << "45.00" << 0 << 0 << "12'3";
        QTest::newRow("undo changes nothing") << "1'234.00" << 5 << 0 << "9Z" << "" << "12'349.00" << 6 << 0 << "";
        QTest::newRow("ctrl+backspace changes nothing") << "1'234.00" << 5 << 0 << "W" << "" << "1'234.00" << 5 << 0 << "";
        QTest::newRow("alt+backspace changes nothing") << "1'234.00" << 5 << 0 << "B" << "" << "1'234.00" << 5 << 0 << "";
        QTest::newRow("alt+digit is not inserted raw") << "1'234.00" << 5 << 0 << "T" << "" << "1'234.00" << 5 << 0 << "";
        QTest::newRow("ctrl+k changes nothing") << "1'234.00" << 0 << 0 << "k" << "" << "1'234.00" << 0 << 0 << "";
        QTest::newRow("ctrl+v over everything") << "0.00" << 0 << 4 << "V" << "1'234.50" << "1'234.50" << 8 << 0 << "";
        QTest::newRow("shift+insert over everything") << "0.00" << 0 << 4 << "I" << "1'234.50" << "1'234.50" << 8 << 0 << "";
        QTest::newRow("paste with one decimal refused") << "0.00" << 0 << 4 << "V" << "1'234.5" << "0.00" << 0 << 4 << "";
        QTest::newRow("nine digits pasted refused") << "0.00" << 0 << 0 << "V" << "123456789" << "0.00" << 0 << 0 << "";
        QTest::newRow("paste into the whole part") << "12.00" << 1 << 0 << "V" << "5" << "152.00" << 2 << 0 << "";
        QTest::newRow("paste over the leading digit of a group") << "1'234.56" << 0 << 1 << "V" << "5" << "5'234.56" << 2 << 0 << "";
        QTest::newRow("paste over a selection ending after the point") << "1'234.56" << 3 << 3 << "V" << "99" << "1'299.56" << 5 << 0 << "";
    }

    void keys() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, keys);
        QFETCH(QString, clip);
        QFETCH(QString, wantText);
        QFETCH(int, wantStart);
        QFETCH(int, wantLength);
        QFETCH(QString, wantClip);

        FEdit->setText(text);
        QCOMPARE(FEdit->text(), text);
        FEdit->setSelection(start, length);
        if (!clip.isEmpty())
            QGuiApplication::clipboard()->setText(clip);
        Press(FEdit, keys);
        QCOMPARE(FEdit->text(), wantText);
        QCOMPARE(SelStart(FEdit), wantStart);
        QCOMPARE(FEdit->selectionLength(), wantLength);
        if (!wantClip.isEmpty())
            QCOMPARE(QGuiApplication::clipboard()->text(), wantClip);
    }

    void ownerTextRegroupedOnlyWithFocus() {
        FOther->setFocus();
        FEdit->setText(QStringLiteral("1234.00"));
        QCOMPARE(FEdit->text(), QStringLiteral("1234.00"));
        FEdit->setFocus();
        QStringList seen;
        auto watch = connect(FEdit, &TMoneyEdit::OnChange, this, [&] { seen << FEdit->text(); });
        FEdit->setText(QStringLiteral("1234567.00"));
        disconnect(watch);
        QCOMPARE(FEdit->text(), QStringLiteral("1'234'567.00"));
        QCOMPARE(FEdit->cursorPosition(), 12);
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), QStringLiteral("1'234'567.00"));

        FEdit->setReadOnly(true);
        FEdit->setText(QStringLiteral("7654321.00"));
        QCOMPARE(FEdit->text(), QStringLiteral("7654321.00"));
    }

    void readOnlyKeepsText_data() {
        QTest::addColumn<QString>("keys");
        QTest::newRow("digit") << "5";
        QTest::newRow("backspace") << "<";
        QTest::newRow("delete") << ">";
        QTest::newRow("ctrl+x") << "X";
        QTest::newRow("shift+delete") << "S";
        QTest::newRow("ctrl+v") << "V";
    }

    void readOnlyKeepsText() {
        QFETCH(QString, keys);
        FEdit->setText(QStringLiteral("1'234.56"));
        FEdit->setReadOnly(true);
        FEdit->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("9.00"));
        QSignalSpy changed(FEdit, &TMoneyEdit::OnChange);
        Press(FEdit, keys);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(FEdit->text(), QStringLiteral("1'234.56"));
        FEdit->cut();
        FEdit->paste();
        FEdit->ClearSelection();
        QCOMPARE(FEdit->text(), QStringLiteral("1'234.56"));
    }

    void textOutOfShapeIsLeftAlone_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keys");
        QTest::newRow("empty, digits and backspace") << "" << "5<>";
        QTest::newRow("letters, paste") << "ab.cd" << "AV";
        QTest::newRow("no decimals, typing") << "12" << "E3<";
    }

    void textOutOfShapeIsLeftAlone() {
        QFETCH(QString, text);
        QFETCH(QString, keys);
        FOther->setFocus();
        FEdit->setText(text);
        FEdit->setFocus();
        QGuiApplication::clipboard()->setText(QStringLiteral("7"));
        Press(FEdit, keys);
        QCOMPARE(FEdit->text(), text);
    }

    void clickBeforeMarkMovesPastIt() {
        FEdit->setText(QStringLiteral("1'234.00"));
        const int y = FEdit->height() / 2;
        int x = 0;
        while (x < FEdit->width() && FEdit->cursorPositionAt(QPoint(x, y)) != 1)
            ++x;
        QVERIFY(x < FEdit->width());
        QTest::mouseClick(FEdit, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
        QCOMPARE(FEdit->cursorPosition(), 2);
    }

    void contextMenuHasNoUndoAndKeepsShape() {
        FEdit->setText(QStringLiteral("1.23"));
        FEdit->setSelection(2, 2);
        QGuiApplication::clipboard()->setText(QStringLiteral("45"));
        std::unique_ptr<QMenu> menu(FEdit->CreateMenu());
        QStringList names;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                names << a->objectName();
        QCOMPARE(names, QStringList({"edit-cut", "edit-copy", "edit-paste", "edit-delete", "select-all"}));

        menu->findChild<QAction*>("edit-paste")->trigger();
        QCOMPARE(FEdit->text(), QStringLiteral("1.45"));

        FEdit->setSelection(0, 4);
        std::unique_ptr<QMenu> second(FEdit->CreateMenu());
        second->findChild<QAction*>("edit-delete")->trigger();
        QCOMPARE(FEdit->text(), QStringLiteral("0.00"));
        QCOMPARE(FEdit->cursorPosition(), 1);

        FEdit->setReadOnly(true);
        FEdit->selectAll();
        std::unique_ptr<QMenu> third(FEdit->CreateMenu());
        QVERIFY(!third->findChild<QAction*>("edit-cut")->isEnabled());
        QVERIFY(!third->findChild<QAction*>("edit-paste")->isEnabled());
        QVERIFY(!third->findChild<QAction*>("edit-delete")->isEnabled());
        QVERIFY(third->findChild<QAction*>("edit-copy")->isEnabled());
    }

    void slotsKeepShape() {
        FEdit->setText(QStringLiteral("1'234.56"));
        FEdit->setSelection(6, 2);
        FEdit->cut();
        QCOMPARE(FEdit->text(), QStringLiteral("1'234.00"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("56"));
        FEdit->setSelection(6, 2);
        FEdit->paste();
        QCOMPARE(FEdit->text(), QStringLiteral("1'234.56"));
        FEdit->clear();
        QCOMPARE(FEdit->text(), QStringLiteral("0.00"));
    }

private:
    QWidget FWindow;
    TMoneyEdit* FEdit = nullptr;
    QLineEdit* FOther = nullptr;
};

QTEST_MAIN(TestQMoneyEdit)
#include "TestQMoneyEdit.moc"
