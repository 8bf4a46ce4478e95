#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

#include "UIntEdit.h"
#include "UMoneyEdit.h"

using namespace tv;

enum EditKind { KindBase, KindInt, KindStrInt, KindString, KindMoney };
Q_DECLARE_METATYPE(EditKind)

static TLocalDbEdit* Make(EditKind kind, QWidget* parent) {
    switch (kind) {
    case KindInt: return new TIntEdit(parent);
    case KindStrInt: return new TStrIntEdit(parent);
    case KindString: return new TStringEdit(parent);
    case KindMoney: return new TMoneyEdit(parent);
    default: return new TLocalDbEdit(parent);
    }
}

// Types the text key by key; a character the keyboard map of the test has
// no key for comes as the key event a layout would give for it.
static void TypeText(QWidget* widget, const QString& text) {
    for (const uint c : text.toUcs4()) {
        const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        if (c < 0x80)
            QTest::keyClicks(widget, ch);
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, ch, Qt::NoModifier);
    }
}

class TestQEdits : public QObject {
    Q_OBJECT

private slots:
    void kinds_data() {
        QTest::addColumn<EditKind>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("TLocalDbEdit") << KindBase << "abc def";
        QTest::newRow("TIntEdit") << KindInt << "12345";
        QTest::newRow("TStrIntEdit") << KindStrInt << "12345";
        QTest::newRow("TStringEdit") << KindString << "abc def";
        QTest::newRow("TMoneyEdit") << KindMoney << "12'345.67";
    }

    void ctrlBackspaceKeepsText_data() { kinds_data(); }
    void ctrlBackspaceKeepsText() {
        QFETCH(EditKind, kind);
        QFETCH(QString, text);
        QWidget window;
        auto* edit = Make(kind, &window);
        edit->setText(text);
        edit->setCursorPosition(text.size());
        QTest::keyClick(edit, Qt::Key_Backspace, Qt::ControlModifier);
        QCOMPARE(edit->text(), text);
        QKeyEvent del(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(127)));
        QCoreApplication::sendEvent(edit, &del);
        QCOMPARE(edit->text(), text);
    }

    void everyFocusGainRunsEnter_data() { kinds_data(); }
    void everyFocusGainRunsEnter() {
        QFETCH(EditKind, kind);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* edit = Make(kind, &window);
        auto* other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QSignalSpy enter(edit, &TLocalDbEdit::OnEnter);
        edit->setFocus();
        QCOMPARE(enter.count(), 1);
        other->setFocus();
        edit->setFocus();
        QCOMPARE(enter.count(), 2);

        QWidget second;
        second.show();
        second.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&second));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(edit->hasFocus());
        QCOMPARE(enter.count(), 3);

        // A closing pop-up menu hands the focus back; that is no new gain.
        QFocusEvent back(QEvent::FocusIn, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(edit, &back);
        QCOMPARE(enter.count(), 3);
    }

    void typing_data() {
        QTest::addColumn<EditKind>("kind");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("want");
        QTest::addColumn<int>("alignment");
        QTest::newRow("TIntEdit digits only, right") << KindInt << "1a2 3-" << "123" << int(Qt::AlignRight);
        QTest::newRow("TStrIntEdit digits only, left") << KindStrInt << "1a2 3-" << "123" << int(Qt::AlignLeft);
        QTest::newRow("TStringEdit free text, left") << KindString << "1a2 3-" << "1a2 3-" << int(Qt::AlignLeft);
        // What the data file cannot store is refused as typed; what it holds
        // in another form is taken.
        QTest::newRow("TStringEdit refuses letters 1251 has not")
            << KindString << QString::fromUtf8("Café Müller") << "Caf Mller" << int(Qt::AlignLeft);
        QTest::newRow("TStringEdit takes Cyrillic, apostrophe, thin space")
            << KindString << QString::fromUtf8("Ґудзʼ№\u2009є«»") << QString::fromUtf8("Ґудзʼ№\u2009є«»")
            << int(Qt::AlignLeft);
        QTest::newRow("TStringEdit refuses Greek and emoji")
            << KindString << QString::fromUtf8("aα\U0001F600b") << "ab" << int(Qt::AlignLeft);
        QTest::newRow("TMoneyEdit, right") << KindMoney << "" << "0.00" << int(Qt::AlignRight);
    }
    void typing() {
        QFETCH(EditKind, kind);
        QFETCH(QString, keys);
        QFETCH(QString, want);
        QFETCH(int, alignment);
        std::unique_ptr<TLocalDbEdit> edit(Make(kind, nullptr));
        TypeText(edit.get(), keys);
        QCOMPARE(edit->text(), want);
        QCOMPARE(int(edit->alignment() & Qt::AlignHorizontal_Mask), alignment);

        // Where the text is drawn: its first character near the one edge.
        edit->resize(300, edit->sizeHint().height());
        edit->setCursorPosition(0);
        edit->grab();  // the text's offset is laid out when painted
        const int x = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
        if (alignment == int(Qt::AlignRight))
            QVERIFY2(x > edit->width() * 3 / 4, qPrintable(QString::number(x)));
        else
            QVERIFY2(x < edit->width() / 4, qPrintable(QString::number(x)));
    }

    void pastingIntoDigitEdits_data() {
        QTest::addColumn<EditKind>("kind");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("want");
        QTest::newRow("TIntEdit digits") << KindInt << "45" << "1245";
        QTest::newRow("TIntEdit letters refused") << KindInt << "4b" << "12";
        QTest::newRow("TStrIntEdit blank refused") << KindStrInt << "4 5" << "12";
        QTest::newRow("TStringEdit text 1251 holds") << KindString << QString::fromUtf8("4b Її") << QString::fromUtf8("124b Її");
        QTest::newRow("TStringEdit a text with a letter 1251 has not refused")
            << KindString << QString::fromUtf8("Café") << "12";
        // A name copied from a spreadsheet or a mail: each control character
        // one blank, a CR LF pair one.
        QTest::newRow("TStringEdit line break and tab as blanks")
            << KindString << "Two\nlines\tname" << "12Two lines name";
        QTest::newRow("TStringEdit CR LF as one blank, cell's final break too")
            << KindString << "a\r\nb\r\n" << "12a b ";
        QTest::newRow("TStringEdit NUL, DEL and line separator as blanks")
            << KindString << QString::fromUtf8("a\x7F" "b\u2028c") + QChar(0) + "d" << "12a b c d";
        QTest::newRow("TStringEdit no-break space kept")
            << KindString << QString::fromUtf8("1\u00A0000") << QString::fromUtf8("121\u00A0000");
        QTest::newRow("TStringEdit a break and a letter 1251 has not refused")
            << KindString << QString::fromUtf8("a\nCafé") << "12";
        QTest::newRow("TStrIntEdit a break refused like a blank") << KindStrInt << "45\r\n" << "12";
    }
    void pastingIntoDigitEdits() {
        QFETCH(EditKind, kind);
        QFETCH(QString, clip);
        QFETCH(QString, want);
        std::unique_ptr<TLocalDbEdit> edit(Make(kind, nullptr));
        edit->setText(QStringLiteral("12"));
        QGuiApplication::clipboard()->setText(clip);
        QTest::keyClick(edit.get(), Qt::Key_End);
        QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), want);
        QCOMPARE(edit->cursorPosition(), int(want.size()));
        // Typed through an input method, the same text is taken the same way.
        edit->setText(QStringLiteral("12"));
        edit->setCursorPosition(2);
        QInputMethodEvent typed;
        typed.setCommitString(clip);
        QCoreApplication::sendEvent(edit.get(), &typed);
        QCOMPARE(edit->text(), want);
        // A break pasted in the middle: the cursor stays after the pasted text.
        if (kind == KindString && want != "12") {
            edit->setCursorPosition(1);
            QGuiApplication::clipboard()->setText("x\r\ny");
            QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(edit->text().left(5), QString("1x y2"));
            QCOMPARE(edit->cursorPosition(), 4);
        }
    }

    // A goods code holds 8 digits: a 13-digit barcode pasted or typed past
    // them is refused, not cut to the first 8 that barcodes of one maker share.
    void digitsThatDoNotFitAreRefusedWhole_data() {
        QTest::addColumn<EditKind>("kind");
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("want");
        QTest::newRow("a barcode into an empty code") << KindStrInt << "" << false << "4820000123456" << "";
        QTest::newRow("digits past the eighth") << KindStrInt << "1234" << false << "56789" << "1234";
        QTest::newRow("the last digits that fit") << KindStrInt << "1234" << false << "5678" << "12345678";
        QTest::newRow("eight digits over a selected code") << KindStrInt << "12345678" << true << "48200001"
                                                           << "48200001";
        QTest::newRow("packs past ten digits") << KindInt << "" << false << "12345678901" << "";
    }
    void digitsThatDoNotFitAreRefusedWhole() {
        QFETCH(EditKind, kind);
        QFETCH(QString, start);
        QFETCH(bool, selectAll);
        QFETCH(QString, clip);
        QFETCH(QString, want);
        std::unique_ptr<TLocalDbEdit> edit(Make(kind, nullptr));
        auto* digits = static_cast<TDigitsEdit*>(edit.get());
        digits->SetDigits(kind == KindStrInt ? 8 : 10);
        edit->setText(start);
        QTest::keyClick(edit.get(), Qt::Key_End);
        if (selectAll) QTest::keyClick(edit.get(), Qt::Key_A, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(clip);
        QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), want);
        // Typed key by key, the edit stops at its last digit.
        edit->clear();
        QTest::keyClicks(edit.get(), clip);
        QCOMPARE(edit->text(), clip.left(digits->Digits()));
    }
};

QTEST_MAIN(TestQEdits)
#include "TestQEdits.moc"
