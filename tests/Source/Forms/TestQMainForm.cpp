// The main window driven by keys over a stock book held in memory.

#include "UMainForm.h"

#include "UCodePage.h"
#include "UDataGrid.h"
#include "UDataGridModel.h"
#include "UException.h"
#include "UFaultEnv.h"
#include "UFilteredDataGrid.h"
#include "UFolderBrowser.h"
#include "UGridHeader.h"
#include "UInOut.h"
#include "UMainActions.h"
#include "UMainModes.h"
#include "UEntryPanel.h"
#include "ULocalDbEdit.h"
#include "UAboutForm.h"
#include "UFormPassChange.h"
#include "UFormStat.h"
#include "UMessageBoxForm.h"
#include "UNbLabel.h"
#include "UMessages.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UStatusPanels.h"
#include "USystemPrinters.h"
#include "UTextConst.h"

#include "DialogTestKit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QMenu>
#include <QScreen>
#include <QStatusTipEvent>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <cstring>
#include <map>
#include <set>
#include <memory>
#include <vector>

using namespace tv;

namespace {

class TRecordedMessages : public IMessages {
public:
    struct TBox {
        std::string Text, Caption;
        int Flags;
    };
    int ShowMessageBox(const std::string& text, const std::string& caption, int flags, const std::string&,
                       const std::string&, const std::string&, const std::string&) override
    {
        Boxes.push_back({text, caption, flags});
        return Answer;
    }
    std::vector<TBox> Boxes;
    int Answer = 1;
};

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The printers the system lists, as the test sets them; none at first.
class TListedPrinters : public TSystemPrinters {
public:
    QStringList List;
    QStringList Names() const override { return List; }
    QString DefaultName() const override { return List.value(0); }
    void Select(QPrinter&, const QString&) const override {}
};

} // namespace

class TestQMainForm : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome, FFolder;
    TRecordedMessages FMessages;
    TListedPrinters FPrinters;
    std::unique_ptr<TFaultEnv> FEnv;
    std::unique_ptr<TFormMessageBox> FBox;
    std::unique_ptr<TMainFormStore> FWindow;

    TMainFormStore& Open()
    {
        FWindow = std::make_unique<TMainFormStore>();
        new TFormStat(&Store, FWindow.get());
        new TFormAbout(&ProgOptions(), FWindow.get());
        new TFormPassChange(&GlobalPass(), FWindow.get());
        FWindow->show();
        QApplication::setActiveWindow(FWindow.get());
        if (!QTest::qWaitForWindowActive(FWindow.get())) qWarning("window not active");
        return *FWindow;
    }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(Focus() ? Focus() : FWindow.get(), Qt::Key(key), mods);
    }
    // Non-ASCII characters go as key events with their text only.
    void Type(const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(Focus(), c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, Focus(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    // Drags the right border of the section by dx pixels with the mouse.
    static void DragBorder(TGridHeader* header, int section, int dx)
    {
        const QPoint border(header->sectionViewportPosition(section) + header->sectionSize(section),
                            header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, border);
        QTest::mouseMove(header->viewport(), border + QPoint(dx, 0));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, border + QPoint(dx, 0));
        QCoreApplication::processEvents();
    }
    int GoodsCount() const { return Store.Goods().RecordCount(); }
    // Makes the goods with this code current through the grid.
    void SelectCode(const std::string& code)
    {
        TTableStore& g = Store.Goods();
        for (int r = 0; r < g.RecordCount(); ++r) {
            g.SetRecNo(r);
            if (g.Code.GetText() == code) {
                FWindow->GridStore->Reload();
                FWindow->ShowCurrentGoods();
                FWindow->GridStore->setFocus();
                return;
            }
        }
        QFAIL("no such code");
    }

    // What the mode allows, as a line: enabled (+), disabled (-) and hidden
    // (h) actions, writable edits, the sign, who takes Esc and Del, and the
    // mode's name.
    QString ModeState() const
    {
        TMainFormStore& w = *FWindow;
        auto on = [](QAction* a) { return QString(a->isVisible() ? (a->isEnabled() ? "+" : "-") : "h"); };
        QString s = QString("grids%1%2 ins%3 edit%4 del%5 add%6 ded%7 sort%8 search%9 ")
                        .arg(w.GridStore->isEnabled() ? "+" : "-", w.GridMoves->isEnabled() ? "+" : "-",
                             on(w.ActInsert), on(w.ActEdit), on(w.ActDelete), on(w.ActAdd), on(w.ActDed),
                             on(w.ActSort), on(w.ActSearch));
        s += QString("post%1 cancel%2 end%3 stat%4 save%5 restore%6 edits ")
                 .arg(on(w.ActPost), on(w.ActCancel), on(w.ActSearchEnd), on(w.ActStat), on(w.ActSaveAs),
                      on(w.ActRestoreBase));
        const std::pair<TLocalDbEdit*, char> edits[] = {{w.Panel->EditCode, 'C'},   {w.Panel->EditName, 'N'},
                                                        {w.Panel->EditCost, 'P'},   {w.Panel->EditWeight, 'W'},
                                                        {w.Panel->EditPCount, 'K'}, {w.Panel->EditNote, 'O'}};
        for (auto [e, c] : edits) s += e->isReadOnly() ? '-' : c;
        s += " sign[" + w.Panel->LbPlus->text() + "] esc:";
        for (QAction* a : {w.ActExit, w.ActCancel, w.ActSearchEnd})
            if (a->shortcuts().contains(QKeySequence(Qt::Key_Escape))) s += a->objectName();
        s += w.ActDelete->shortcuts().contains(QKeySequence(Qt::Key_Delete)) ? " del:on" : " del:off";
        bool io = !w.InOutManager()->Actions().empty();
        for (QAction* a : w.InOutManager()->Actions()) io = io && a->isEnabled();
        s += io ? " io+" : " io-";
        return s + " | " + w.StatusBar->Text(mpMode);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testkit::UseConfigHome(FHome));
        SetProgramFolder(FFolder.path().toStdString());
        ProgOptions().SetTestDate(Now());
        FBox = std::make_unique<TFormMessageBox>();
        SetMessages(&FMessages);
        SetSystemPrinters(&FPrinters);
    }
    void cleanupTestCase() { SetSystemPrinters(nullptr); }
    void init()
    {
        LoadEnglishTexts();
        TProgOptions& o = ProgOptions();
        o.SetLanguage(langEnglish);
        o.SetEnhanced(true);
        o.SetAutogenEnabled(false);
        o.SetWidth(0);
        o.SetHeight(0);
        FEnv = std::make_unique<TFaultEnv>();
        Store.SetEnv(FEnv.get());
        Store.Open(true, "Data");
        Store.InsertGoods("11", "Apple", "2.00", "10.00", "5", "first");
        Store.InsertGoods("22", "Pear", "1.00", "40'000'000.00", "2", "");
        Store.InsertGoods("33", "Plum", "3.00", "1.00", "1", "");
        FMessages.Boxes.clear();
        FMessages.Answer = 1;
    }
    void cleanup()
    {
        FWindow.reset();
        Store.Close();
        Store.SetEnv(nullptr);
        FEnv.reset();
    }

    void modeTable_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("state");
        const QString browse = "grids++ ins+ edit+ del+ add+ ded+ sort+ search+ post- cancel- endh stat+ save+ "
                               "restore+ edits ------ sign[] esc:ActExit del:on io+ | Products review";
        QTest::newRow("browse") << 0 << false << browse;
        QTest::newRow("browse, no goods")
            << 0 << true
            << "grids++ ins+ edit- del- add- ded- sort- search- post- cancel- endh stat+ save+ restore+ edits "
               "------ sign[] esc:ActExit del:on io+ | Products review";
        QTest::newRow("edit") << 1 << false
                              << "grids-- ins- edit- del- add- ded- sort- search- post+ cancel+ endh stat- save- "
                                 "restore- edits CNP--- sign[] esc:ActCancel del:off io- | Product edit";
        QTest::newRow("insert") << 2 << false
                                << "grids-- ins- edit- del- add- ded- sort- search- post+ cancel+ endh stat- "
                                   "save- restore- edits CNPWKO sign[(+)] esc:ActCancel del:off io- | Insert new "
                                   "product";
        QTest::newRow("search") << 3 << false
                                << "grids++ ins+ edit+ del+ add+ ded+ sort+ searchh post- cancel- end+ stat- "
                                   "save- restore- edits ------ sign[] esc:ActSearchEnd del:on io- | Search product";
        QTest::newRow("delete") << 4 << false
                                << "grids-- ins- edit- del- add- ded- sort- search- post- cancel- endh stat- "
                                   "save- restore- edits ------ sign[] esc:ActCancel del:off io- | Remove product";
        QTest::newRow("add") << 5 << false
                             << "grids-- ins- edit- del- add- ded- sort- search- post+ cancel+ endh stat- save- "
                                "restore- edits ---WKO sign[(+)] esc:ActCancel del:off io- | Add a product to "
                                "warehouse";
        QTest::newRow("deduct") << 6 << false
                                << "grids-- ins- edit- del- add- ded- sort- search- post+ cancel+ endh stat- "
                                   "save- restore- edits ---WKO sign[( - )] esc:ActCancel del:off io- | Subtract "
                                   "product from warehouse";
    }
    void modeTable()
    {
        QFETCH(int, mode);
        QFETCH(bool, empty);
        QFETCH(QString, state);
        if (empty) Store.Goods().Empty();
        TMainFormStore& w = Open();
        QCOMPARE(Store.GetMode(), smBrowse);
        w.SetMode(TStoreMode(mode));
        QCOMPARE(ModeState(), state);
        QCOMPARE(Store.GetMode(), TStoreMode(mode));
        w.SetMode(smBrowse);
        QCOMPARE(ModeState().section(" | ", 1), QString("Products review"));
    }

    // Every mode the keys reach from browsing and from a search: the grids
    // and their headers follow the mode table, a click on another row of a
    // locked grid changes nothing, and once the window browses again its
    // header sorts on a click and resizes on a drag.
    void keysFollowTheModeTable_data()
    {
        QTest::addColumn<bool>("fromSearch");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("finish");
        const struct {
            const char* Name;
            int Key, Mode;
        } keys[] = {{"Ins", Qt::Key_Insert, smInsert}, {"F2", Qt::Key_F2, smEdit},
                    {"F11", Qt::Key_F11, smDeduct},   {"F12", Qt::Key_F12, smAdd},
                    {"Del", Qt::Key_Delete, smBrowse}, {"typing", Qt::Key_2, smSearch},
                    {"F3", Qt::Key_F3, smSearch}};
        for (bool fromSearch : {false, true})
            for (const auto& k : keys) {
                const int finish = k.Mode == smBrowse ? 0
                                   : k.Mode == smSearch ? Qt::Key_Escape
                                   : fromSearch         ? Qt::Key_Return
                                                        : Qt::Key_Escape;
                QTest::addRow("%s from %s", k.Name, fromSearch ? "a search" : "browsing")
                    << fromSearch << k.Key << k.Mode << finish;
            }
    }
    void keysFollowTheModeTable()
    {
        QFETCH(bool, fromSearch);
        QFETCH(int, key);
        QFETCH(int, mode);
        QFETCH(int, finish);
        FMessages.Answer = 2;  // keeps the goods on Del
        TMainFormStore& w = Open();
        TDataGrid* grid = w.GridStore;
        grid->setFocus();
        grid->SetCol(1);
        if (fromSearch) {
            Key(Qt::Key_1);
            QCOMPARE(Store.GetMode(), smSearch);
        }
        Key(key);
        QCOMPARE(Store.GetMode(), TStoreMode(mode));
        const bool grids = ModeRules(TStoreMode(mode), true).Grids;
        for (TDataGrid* g : {grid, static_cast<TDataGrid*>(w.GridMoves)}) {
            QCOMPARE(g->isEnabled(), grids);
            QCOMPARE(g->Header()->isEnabled(), grids);
        }
        if (!grids) {
            auto panel = [&w] {
                const TEntryPanel& p = *w.Panel;
                return Q(Store.Goods().Code.GetText()) + "|" + p.EditCode->text() + "|" + p.EditName->text() + "|" +
                       p.EditWeight->text() + "|" + p.EditNote->text();
            };
            const QString before = panel();
            const int other = grid->Row() == 3 ? 2 : 3;
            const QRect cell = grid->visualRect(grid->model()->index(other - 1, 1));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(panel(), before);
            QCOMPARE(Store.GetMode(), TStoreMode(mode));
        }
        if (finish) Key(finish);
        QCOMPARE(Store.GetMode(), smBrowse);

        TGridHeader* header = grid->Header();
        QVERIFY(header->isEnabled());
        const int price = 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(price) + header->sectionSize(price) / 2,
                                 header->height() / 2));
        QCOMPARE(Store.Goods().GetIndexName(), std::string("IndCost"));
        const int width = header->sectionSize(0);
        DragBorder(header, 0, 15);
        QTRY_COMPARE(header->sectionSize(0), width + 15);
    }

    // Full keyboard: the pad keys add and deduct while browsing and leave
    // the edits alone while editing; laptop mode has F12 and F11 only.
    void padShortcuts()
    {
        TMainFormStore& w = Open();
        const QKeySequence plus(Qt::KeypadModifier | Qt::Key_Plus), f12(Qt::Key_F12), f11(Qt::Key_F11);
        QCOMPARE(w.ActAdd->shortcuts(), (QList<QKeySequence>{plus, f12}));
        QVERIFY(!w.ActNotebook->isChecked());
        // Menus show the text after the tab as the key's name.
        QCOMPARE(w.ActAdd->text(), QString("Add\tNum +"));
        QCOMPARE(w.ActDed->text(), QString::fromUtf8("Subtract\tNum −"));
        w.ActAdd->trigger();
        QCOMPARE(w.ActAdd->shortcuts(), (QList<QKeySequence>{f12}));
        w.ActCancel->trigger();
        QCOMPARE(w.ActAdd->shortcuts(), (QList<QKeySequence>{plus, f12}));
        w.ActNotebook->trigger();
        QVERIFY(!ProgOptions().GetEnhanced());
        QVERIFY(w.ActNotebook->isChecked());
        QCOMPARE(w.ActAdd->shortcuts(), (QList<QKeySequence>{f12}));
        QCOMPARE(w.ActDed->shortcuts(), (QList<QKeySequence>{f11}));
        QCOMPARE(w.ActAdd->text(), QString("Add"));
        w.ActAdd->trigger();
        w.ActCancel->trigger();
        QCOMPARE(w.ActAdd->shortcuts(), (QList<QKeySequence>{f12}));
    }

    void escapePerMode_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("closes");
        QTest::newRow("browse closes the window") << 0 << true;
        QTest::newRow("search ends the search") << int(Qt::Key_1) << false;
        QTest::newRow("edit cancels") << int(Qt::Key_F2) << false;
        QTest::newRow("insert cancels") << int(Qt::Key_Insert) << false;
        QTest::newRow("add cancels") << int(Qt::Key_F12) << false;
        QTest::newRow("deduct cancels") << int(Qt::Key_F11) << false;
    }
    void escapePerMode()
    {
        QFETCH(int, start);
        QFETCH(bool, closes);
        TMainFormStore& w = Open();
        w.GridStore->setFocus();
        w.GridStore->SetCol(1);
        const std::string before = w.Panel->EditName->text().toStdString();
        if (start) Key(start);
        if (start) QVERIFY(Store.GetMode() != smBrowse);
        Key(Qt::Key_Escape);
        QCOMPARE(w.isVisible(), !closes);
        QCOMPARE(Store.GetMode(), smBrowse);
        QCOMPARE(GoodsCount(), 3);
        QCOMPARE(w.Panel->EditName->text().toStdString(), start == Qt::Key_1 ? Store.Goods().Name.GetText() : before);
        QVERIFY(FMessages.Boxes.empty());
    }

    void f2PerColumn_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("edit");
        QTest::newRow("code") << 1 << "EditCode";
        QTest::newRow("name") << 2 << "EditName";
        QTest::newRow("price") << 3 << "EditCost";
        QTest::newRow("date") << 4 << "EditCode";
        QTest::newRow("quantity") << 5 << "EditCode";
        QTest::newRow("packs") << 6 << "EditCode";
        QTest::newRow("value") << 7 << "EditCode";
    }
    void f2PerColumn()
    {
        QFETCH(int, col);
        QFETCH(QString, edit);
        TMainFormStore& w = Open();
        w.GridStore->setFocus();
        w.GridStore->SetCol(col);
        Key(Qt::Key_F2);
        QCOMPARE(Store.GetMode(), smEdit);
        QVERIFY(Focus());
        QCOMPARE(Focus()->objectName(), edit);
    }

    // Edit: a new name and price reach the stock book and the grid.
    void editPosts()
    {
        TMainFormStore& w = Open();
        SelectCode("33");
        w.GridStore->SetCol(2);
        Key(Qt::Key_F2);
        w.Panel->EditName->selectAll();
        Type(QString::fromUtf8("Слива синя"));
        Key(Qt::Key_Return);
        QCOMPARE(Store.GetMode(), smBrowse);
        QCOMPARE(Q(Store.Goods().Name.GetText()), QString::fromUtf8("Слива синя"));
        QCOMPARE(w.Panel->EditName->text(), QString::fromUtf8("Слива синя"));
        QCOMPARE(Focus(), static_cast<QWidget*>(w.GridStore));
    }

    // Every cell of the goods grid's current row, joined by "|".
    QString GoodsRowCells() const
    {
        const TDataGridModel* m = FWindow->GridStore->Model();
        QStringList cells;
        for (int c = 0; c < m->ColumnCount(); ++c)
            cells << Q(m->CellText(FWindow->GridStore->Row() - 1, c));
        return cells.join('|');
    }

    // A name and a note pasted from a spreadsheet or a mail are stored as
    // one line: each control character one blank, a CR LF pair one.
    void pastedTextIsOneLine()
    {
        TMainFormStore& w = Open();
        Key(Qt::Key_Insert);
        Type("501");
        Key(Qt::Key_Tab);
        QCOMPARE(Focus(), static_cast<QWidget*>(w.Panel->EditName));
        QApplication::clipboard()->setText("Two\nlines\tname\r\n");
        Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.Panel->EditName->text(), QString("Two lines name "));
        Key(Qt::Key_Tab);
        Type("1.5");
        Key(Qt::Key_Tab);
        Type("0.33");
        w.Panel->EditNote->setFocus();
        QApplication::clipboard()->setText("from\r\nthe\u2028list");
        Key(Qt::Key_V, Qt::ControlModifier);
        Key(Qt::Key_Return);
        QCOMPARE(Store.GetMode(), smBrowse);
        TTableStore& g = Store.Goods();
        QCOMPARE(std::string(static_cast<const char*>(g.Name.GetData()), 16), std::string("Two lines name\0\0", 16));
        QVERIFY2(GoodsRowCells().contains("|Two lines name|"), qPrintable(GoodsRowCells()));
        TTableMoves& m = Store.Moves();
        std::string note = "none";
        for (m.First(); !m.Eof(); m.Next())
            if (m.IDStore.GetValue() == g.ID.GetValue())
                note = m.Note.GetText();
        QCOMPARE(note, std::string("from the list"));
    }

    // Only the price is edited: the code and the name keep every byte they
    // held, those that show as blanks, a no-break space and blanks at their
    // ends too. The names hold every byte value; the grid shows each on one
    // line.
    void editingThePriceKeepsEveryByteOfTheName()
    {
        TTableStore& g = Store.Goods();
        std::vector<std::pair<std::string, std::string>> stored;  // code, name
        // 0x01 first and 0xA0 last, then 40 bytes each, then a short name.
        std::string name;
        for (int b = 1; b < 0x28; ++b)
            name += char(b);
        stored.push_back({"1\t2", name + "\xA0"});
        for (int from = 0x28; from < 256; from += 40) {
            name.clear();
            for (int b = from; b < std::min(from + 40, 256); ++b)
                name += char(b);
            stored.push_back({"\xA0" + std::to_string(from), name});
        }
        stored.push_back({"9", "\xC1\xE0\xE7\xE0\xA0" "0"});  // "База" no-break space "0"
        for (const auto& [code, bytes] : stored) {
            Store.InsertGoods("0", "x", "1.00", "0.33", "1", "");
            char c[8] = {}, n[40] = {};
            std::memcpy(c, code.data(), code.size());
            std::memcpy(n, bytes.data(), bytes.size());
            g.Edit();
            g.Code.SetData(c);
            g.Name.SetData(n);
            g.Post();
        }
        TMainFormStore& w = Open();
        for (const auto& [code, bytes] : stored) {
            SelectCode(Cp1251ToOneLine(code));
            QVERIFY(!GoodsRowCells().contains(QRegularExpression("[\\x00-\\x1F\\x7F-\\x9F]")));
            w.GridStore->SetCol(3);
            Key(Qt::Key_F2);
            QCOMPARE(Focus(), static_cast<QWidget*>(w.Panel->EditCost));
            w.Panel->EditCost->selectAll();
            Type("5");
            Key(Qt::Key_Return);
            QCOMPARE(Store.GetMode(), smBrowse);
            QCOMPARE(g.Cost.GetText(), std::string("5.00"));
        }
        // As the data file holds them after the edits.
        Store.Close();
        Store.Open(false, "Data");
        std::map<std::string, std::string> back;
        for (g.First(); !g.Eof(); g.Next())
            back[std::string(g.Code.DataValue(g.Code.GetData()))] = g.Name.DataValue(g.Name.GetData());
        for (const auto& [code, bytes] : stored)
            QCOMPARE(QByteArray::fromStdString(back[code]).toHex(), QByteArray::fromStdString(bytes).toHex());
    }

    void insertWithEmptyCodeAndName()
    {
        TMainFormStore& w = Open();
        Key(Qt::Key_Insert);
        QCOMPARE(Store.GetMode(), smInsert);
        QCOMPARE(Focus(), static_cast<QWidget*>(w.Panel->EditCode));
        QCOMPARE(w.Panel->EditCost->text(), QString("0.00"));
        Key(Qt::Key_Enter, Qt::KeypadModifier);  // the pad's Enter posts as well
        QCOMPARE(Store.GetMode(), smBrowse);
        QCOMPARE(GoodsCount(), 4);
        QCOMPARE(Store.Goods().Code.GetText(), std::string());
        QCOMPARE(Store.Goods().Name.GetText(), std::string());
        QVERIFY(FMessages.Boxes.empty());
    }

    // Typed in full: code, a Cyrillic name, price, quantity, packs, note.
    void insertTyped()
    {
        TMainFormStore& w = Open();
        Key(Qt::Key_Insert);
        Type("501");
        Key(Qt::Key_Tab);
        Type(QString::fromUtf8("Цукор"));
        Key(Qt::Key_Tab);
        Type("12.5");
        Key(Qt::Key_Tab);
        Type("4");
        Key(Qt::Key_Tab);
        Type("2");
        w.Panel->EditNote->setFocus();
        Type(QString::fromUtf8("з базы"));
        Key(Qt::Key_Return);
        TTableStore& g = Store.Goods();
        QCOMPARE(GoodsCount(), 4);
        QCOMPARE(Q(g.Code.GetText() + "|" + g.Name.GetText() + "|" + g.Cost.GetText() + "|" + g.Weight.GetText() +
                   "|" + g.PCount.GetText() + "|" + g.Sum.GetText()),
                 QString::fromUtf8("501|Цукор|12.50|4.00|2|50.00"));
        QCOMPARE(w.Panel->LbSum->text(), QString("50.00"));
        QCOMPARE(w.Panel->EditNote->text(), QString::fromUtf8("з базы"));
    }

    // The totals stand in the edits when adding starts; the first key
    // replaces them, so the movement books what was typed.
    void addAndDeductBookTheTypedQuantity_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("packs");
        QTest::newRow("add") << int(Qt::Key_F12) << "13.00" << "7";
        QTest::newRow("deduct") << int(Qt::Key_F11) << "7.00" << "3";
    }
    void addAndDeductBookTheTypedQuantity()
    {
        QFETCH(int, key);
        QFETCH(QString, weight);
        QFETCH(QString, packs);
        TMainFormStore& w = Open();
        SelectCode("11");
        Key(key);
        QCOMPARE(w.Panel->EditWeight->text(), QString("10.00"));
        QCOMPARE(w.Panel->EditPCount->text(), QString("5"));
        QCOMPARE(Focus(), static_cast<QWidget*>(w.Panel->EditWeight));
        Type("3");
        Key(Qt::Key_Tab);
        Type("2");
        Key(Qt::Key_Return);
        QVERIFY2(FMessages.Boxes.empty(), FMessages.Boxes.empty() ? "" : FMessages.Boxes[0].Text.c_str());
        QCOMPARE(Store.GetMode(), smBrowse);
        QCOMPARE(w.Panel->EditWeight->text(), weight);
        QCOMPARE(w.Panel->EditPCount->text(), packs);
        QCOMPARE(w.GridMoves->FilterCount(), 2);
        QCOMPARE(Q(Store.Moves().Weight.GetText()), QString("3.00"));
    }

    // Weighed goods: three receipts of 0.33 at 12.34 are worth 3 x 4.07 =
    // 12.21, less than 12.34 x 0.99; selling all of it is allowed and takes
    // all of the value.
    void weighedGoodsAreSoldToTheLast()
    {
        TMainFormStore& w = Open();
        Key(Qt::Key_Insert);
        Type("4820");
        Key(Qt::Key_Tab);
        Type(QString::fromUtf8("Сир твердий, ваговий"));
        Key(Qt::Key_Tab);
        Type("12.34");
        Key(Qt::Key_Tab);
        Type("0.33");
        Key(Qt::Key_Return);
        for (int i = 0; i < 2; ++i) {
            Key(Qt::Key_F12);
            Type("0.33");
            Key(Qt::Key_Return);
        }
        QCOMPARE(w.Panel->EditWeight->text(), QString("0.99"));
        QCOMPARE(w.Panel->LbSum->text(), QString("12.21"));
        Key(Qt::Key_F11);
        QCOMPARE(Store.GetMode(), smDeduct);
        Type("0.99");
        Key(Qt::Key_Return);
        QVERIFY2(FMessages.Boxes.empty(), FMessages.Boxes.empty() ? "" : FMessages.Boxes[0].Text.c_str());
        QCOMPARE(Store.GetMode(), smBrowse);
        QCOMPARE(w.Panel->EditWeight->text(), QString("0.00"));
        QCOMPARE(w.Panel->LbSum->text(), QString("0.00"));
        QCOMPARE(Q(Store.Goods().Sum.GetText()), QString("0.00"));
        QCOMPARE(w.GridMoves->FilterCount(), 4);
        QCOMPARE(Q(Store.Moves().Sum.GetText()), QString("12.21"));
        // Nothing is left to sell.
        Key(Qt::Key_F11);
        Type("0.01");
        Key(Qt::Key_Return);
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
        QCOMPARE(Q(FMessages.Boxes[0].Caption), QString("Rest of products"));
        QCOMPARE(Store.GetMode(), smDeduct);
    }

    // store.dat replaced while the program runs (a copy put back by hand):
    // F12 is refused with the engine's message before anything is written.
    void bookingOnAReplacedFileWritesNothing()
    {
        const std::string data = FFolder.path().toStdString() + "/Data/";
        TMainFormStore& w = Open();
        SelectCode("11");
        FEnv->SetContents(data + "copy", FEnv->Contents(data + "store.dat"));
        QVERIFY(FEnv->RenameFile(data + "copy", data + "store.dat", true));
        const std::string goods = FEnv->Contents(data + "store.dat");
        const std::string moves = FEnv->Contents(data + "moves.dat");
        Key(Qt::Key_F12);
        Type("1");
        Key(Qt::Key_Return);
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
        QCOMPARE(Q(FMessages.Boxes[0].Caption), QString("Tarnovell - Execution error"));
        QVERIFY2(Q(FMessages.Boxes[0].Text).startsWith(QString::fromUtf8("Файл данных удален или заменен")),
                 FMessages.Boxes[0].Text.c_str());
        QCOMPARE(FEnv->Contents(data + "moves.dat").size(), moves.size());
        QVERIFY(FEnv->Contents(data + "moves.dat") == moves);
        QVERIFY(FEnv->Contents(data + "store.dat") == goods);
        QCOMPARE(Store.GetMode(), smAdd);
        QCOMPARE(w.GridMoves->FilterCount(), 1);
    }

    void refusedBookingKeepsTheMode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("caption");
        QTest::newRow("add beyond the largest quantity") << "22" << int(Qt::Key_F12) << "5000000"
                                                       << "Quantity of products";
        QTest::newRow("deduct more than on hand") << "11" << int(Qt::Key_F11) << "20" << "Rest of products";
    }
    void refusedBookingKeepsTheMode()
    {
        QFETCH(QString, code);
        QFETCH(int, key);
        QFETCH(QString, typed);
        QFETCH(QString, caption);
        TMainFormStore& w = Open();
        SelectCode(code.toStdString());
        const TStoreMode mode = key == Qt::Key_F12 ? smAdd : smDeduct;
        Key(key);
        Type(typed);
        const QString shown = w.Panel->EditWeight->text();
        Key(Qt::Key_Return);
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
        QCOMPARE(Q(FMessages.Boxes[0].Caption), caption);
        QCOMPARE(FMessages.Boxes[0].Flags, MB_ICONINFORMATION);
        QCOMPARE(Store.GetMode(), mode);
        QCOMPARE(w.Panel->EditWeight->text(), shown);
        QCOMPARE(w.GridMoves->FilterCount(), 1);
    }

    void deleteQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("count");
        QTest::newRow("yes") << 1 << 3;
        QTest::newRow("no") << 2 << 4;
    }
    void deleteQuestion()
    {
        QFETCH(int, answer);
        QFETCH(int, count);
        const std::string name(40, 'W');
        Store.InsertGoods("44", name, "1.00", "1.00", "1", "");
        TMainFormStore& w = Open();
        SelectCode("44");
        FMessages.Answer = answer;
        Key(Qt::Key_Delete);
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
        const QString text = Q(FMessages.Boxes[0].Text);
        QCOMPARE(Q(FMessages.Boxes[0].Caption), QString("Remove"));
        QVERIFY(text.startsWith("Remove product\r\n(44)  W"));
        QVERIFY(text.endsWith("W\r\nfrom warehouse\r\nand it's movement information?"));
        // The name is broken into pieces no wider than the box's text.
        const QString item = text.section("\r\n", 1, 1).mid(6);
        QCOMPARE(item.count('W'), 40);
        QVERIFY(item.contains(' '));
        const QFontMetrics m(FormMessageBox->font());
        for (const QString& piece : item.split(' '))
            QVERIFY(m.horizontalAdvance(piece) < FormMessageBox->LbQuery->width());
        QCOMPARE(GoodsCount(), count);
        QCOMPARE(Store.GetMode(), smBrowse);
        QVERIFY(w.GridStore->isEnabled());
    }

    // A delete that fails on the disk shows the error and browses again.
    void failedDeleteReturnsToBrowsing()
    {
        TMainFormStore& w = Open();
        SelectCode("11");
        FEnv->FailWrite(1);
        Key(Qt::Key_Delete);
        QCOMPARE(FMessages.Boxes.size(), size_t(2));
        QCOMPARE(Q(FMessages.Boxes[1].Caption), QString("Tarnovell - Execution error"));
        QCOMPARE(FMessages.Boxes[1].Flags, MB_ICONSTOP);
        QCOMPARE(Store.GetMode(), smBrowse);
        QVERIFY(w.GridStore->isEnabled());
        QVERIFY(w.ActInsert->isEnabled());
        QCOMPARE(w.Panel->EditCode->text().toStdString(), Store.Goods().Code.GetText());
    }

    // A stock operation that raises is shown; the window takes the next
    // key as before.
    void raisingActionLeavesTheWindowUsable()
    {
        TMainFormStore& w = Open();
        Key(Qt::Key_Insert);
        Type("9");
        FEnv->FailWrite(1);
        Key(Qt::Key_Return);
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
        QCOMPARE(Q(FMessages.Boxes[0].Caption), QString("Tarnovell - Execution error"));
        QCOMPARE(Store.GetMode(), smInsert);
        QCOMPARE(GoodsCount(), 3);
        Key(Qt::Key_Return);
        QCOMPARE(Store.GetMode(), smBrowse);
        QCOMPARE(GoodsCount(), 4);
        QCOMPARE(w.Panel->EditCode->text(), QString("9"));
    }

    void automaticCode_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("focus");
        QTest::newRow("on") << true << "0004" << "EditName";
        QTest::newRow("off") << false << "" << "EditCode";
    }
    void automaticCode()
    {
        QFETCH(bool, enabled);
        QFETCH(QString, code);
        QFETCH(QString, focus);
        TMainFormStore& w = Open();
        QVERIFY(!w.ActAutogen->isChecked());
        if (enabled) w.ActAutogen->trigger();
        QCOMPARE(w.ActAutogen->isChecked(), enabled);
        QCOMPARE(ProgOptions().GetAutogenEnabled(), enabled);
        Key(Qt::Key_Insert);
        QCOMPARE(w.Panel->EditCode->text(), code);
        QCOMPARE(Focus()->objectName(), focus);
    }

    // Letters never reach a search in the code column; digits start one,
    // backspace shortens it and the goods follow the typed code.
    void codeColumnSearch()
    {
        TMainFormStore& w = Open();
        w.GridStore->setFocus();
        w.GridStore->SetCol(1);
        Type("ab");
        QVERIFY(!w.GridStore->Searching());
        QCOMPARE(Store.GetMode(), smBrowse);
        Type("3");
        QVERIFY(w.GridStore->Searching());
        QCOMPARE(Store.GetMode(), smSearch);
        QCOMPARE(w.StatusBar->Text(mpMode), QString("Search product  \"3\""));
        QCOMPARE(w.Panel->EditCode->text(), QString("33"));
        Type("x");
        QCOMPARE(Q(w.GridStore->SearchText()), QString("3"));
        Key(Qt::Key_Backspace);
        QCOMPARE(w.StatusBar->Text(mpMode), QString("Search product"));
        Key(Qt::Key_Escape);
        QCOMPARE(Store.GetMode(), smBrowse);
        QVERIFY(w.isVisible());
    }

    // F3 outside the code and name columns searches by code; in the name
    // column by name, case aside, Cyrillic included.
    void searchKey()
    {
        Store.InsertGoods("55", "Яблуко", "1.00", "1.00", "1", "");
        TMainFormStore& w = Open();
        w.GridStore->setFocus();
        w.GridStore->SetCol(3);
        Key(Qt::Key_F3);
        QCOMPARE(w.GridStore->Col(), 1);
        QCOMPARE(Store.GetMode(), smSearch);
        Key(Qt::Key_Escape);
        w.GridStore->SetCol(2);
        Key(Qt::Key_F3);
        Type(QString::fromUtf8("ябл"));
        QCOMPARE(w.Panel->EditName->text(), QString::fromUtf8("Яблуко"));
        QCOMPARE(Store.Goods().GetIndexName(), std::string("IndName"));
        Key(Qt::Key_Escape);
        QCOMPARE(Store.GetMode(), smBrowse);
    }

    // By price Pear stands first; by name Apple does: the grid stays on row
    // 1 and the panel still turns to Apple.
    void searchFindsGoodsOnTheSameRow()
    {
        TMainFormStore& w = Open();
        w.GridStore->setFocus();
        w.GridStore->SetCol(3);
        Key(Qt::Key_F9);
        w.GridStore->SetRow(1);
        QCOMPARE(w.Panel->EditName->text(), QString("Pear"));
        w.GridStore->SetCol(2);
        Type("ap");
        QCOMPARE(w.GridStore->Row(), 1);
        QCOMPARE(w.Panel->EditName->text(), QString("Apple"));
        QCOMPARE(w.Panel->EditNote->text(), QString("first"));
    }

    // The edit actions on the focused edit; a money edit keeps its shape.
    void editActions_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("result");
        QTest::newRow("delete the selection") << "EditName" << "Apple pie" << 5 << "ActEditDelete" << " pie";
        QTest::newRow("delete without a selection") << "EditName" << "Apple" << 0 << "ActEditDelete" << "Apple";
        QTest::newRow("cut") << "EditName" << "Apple pie" << 6 << "ActEditCut" << "pie";
        QTest::newRow("paste into money") << "EditCost" << "12.50" << 2 << "ActEditPaste" << "3.50";
        QTest::newRow("cut from money") << "EditCost" << "12.50" << 5 << "ActEditCut" << "0.00";
        QTest::newRow("no undo in money") << "EditCost" << "12.50" << 0 << "ActEditUndo" << "12.50";
    }
    void editActions()
    {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        QFETCH(int, selected);
        QFETCH(QString, action);
        QFETCH(QString, result);
        TMainFormStore& w = Open();
        Key(Qt::Key_Insert);
        auto* e = w.findChild<QLineEdit*>(edit);
        e->setFocus();
        e->setText(text);
        e->setSelection(0, selected);
        QApplication::clipboard()->setText("3");
        w.findChild<QAction*>(action)->trigger();
        QCOMPARE(e->text(), result);
    }

    // A copy saved to a folder and read back; a folder without the data is
    // refused with a warning and the window shows the data still open.
    void saveAndRestore()
    {
        QTemporaryDir copy, empty;
        // Copies go to real folders, so the data live on the disk here.
        Store.Close();
        Store.SetEnv(nullptr);
        QDir(FFolder.path() + "/Data").removeRecursively();
        Store.Open(true, "Data");
        for (const char* code : {"11", "22", "33"}) Store.InsertGoods(code, "Goods", "1.00", "1.00", "1", "");
        ProgOptions().SetLastCopy(copy.path().toStdString());
        TMainFormStore& w = Open();
        auto chooseStart = [] {
            QTimer::singleShot(0, [] {
                if (auto* dialog = dynamic_cast<TFolderBrowser*>(QApplication::activeModalWidget()))
                    dialog->OkButton()->click();
            });
        };
        chooseStart();
        w.ActSaveAs->trigger();
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
        QCOMPARE(Q(FMessages.Boxes[0].Caption), QString("Backup data"));
        QVERIFY2(Q(FMessages.Boxes[0].Text).startsWith("Data backup is successful to the folder\r\n"), FMessages.Boxes[0].Text.c_str());
        QCOMPARE(FMessages.Boxes[0].Flags, MB_ICONINFORMATION);

        Store.InsertGoods("77", "Quince", "1.00", "1.00", "1", "");
        w.GridStore->Reload();
        chooseStart();
        w.ActRestoreBase->trigger();
        QCOMPARE(FMessages.Boxes.size(), size_t(2));
        QCOMPARE(Q(FMessages.Boxes[1].Caption), QString("Restoration from a backup"));
        QCOMPARE(FMessages.Boxes[1].Flags, MB_ICONINFORMATION);
        QCOMPARE(GoodsCount(), 3);
        QCOMPARE(w.GridStore->RowCount(), 4);
        QCOMPARE(w.Panel->EditCode->text().toStdString(), Store.Goods().Code.GetText());
        QCOMPARE(ProgOptions().GetLastCopy(), copy.path().toStdString());

        ProgOptions().SetLastCopy(empty.path().toStdString());
        chooseStart();
        w.ActRestoreBase->trigger();
        QCOMPARE(FMessages.Boxes.back().Flags, MB_ICONEXCLAMATION);
        QVERIFY(Q(FMessages.Boxes.back().Text).startsWith("An error occured while restoring files from the folder"));
        QCOMPARE(GoodsCount(), 3);
        QCOMPARE(w.Panel->EditCode->text().toStdString(), Store.Goods().Code.GetText());
        QCOMPARE(Store.GetMode(), smBrowse);
        QCOMPARE(ProgOptions().GetLastCopy(), empty.path().toStdString());
        FWindow.reset();
        Store.Close();
        QDir(FFolder.path() + "/Data").removeRecursively();
    }

    // A copy whose files do not open is not restored: one box says so, and
    // the data in use stay open.
    void damagedCopyIsRefusedWithOneBox()
    {
        QTemporaryDir copy;
        Store.Close();
        Store.SetEnv(nullptr);
        QDir(FFolder.path() + "/Data").removeRecursively();
        Store.Open(true, "Data");
        for (const char* code : {"11", "22"}) Store.InsertGoods(code, "Goods", "1.00", "1.00", "1", "");
        for (const char* name : {"/store.dat", "/moves.dat"}) {
            QFile f(copy.path() + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("a spreadsheet saved under the name");
        }
        ProgOptions().SetLastCopy(copy.path().toStdString());
        TMainFormStore& w = Open();
        // File, Restore... with the mouse; the folder dialog starts at the copy.
        const QRect file = w.menuBar()->actionGeometry(w.MenuFile->menuAction());
        QTest::mouseClick(w.menuBar(), Qt::LeftButton, {}, file.center());
        QTRY_VERIFY(w.MenuFile->isVisible());
        QTimer::singleShot(0, [] {
            if (auto* dialog = dynamic_cast<TFolderBrowser*>(QApplication::activeModalWidget()))
                dialog->OkButton()->click();
        });
        QTest::mouseClick(w.MenuFile, Qt::LeftButton, {}, w.MenuFile->actionGeometry(w.ActRestoreBase).center());
        QTRY_VERIFY(!w.MenuFile->isVisible());
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
        QCOMPARE(FMessages.Boxes[0].Text, TextTable[SlotRestoredOpenFailed]);
        QCOMPARE(Q(FMessages.Boxes[0].Caption), QString("Restoration from a backup"));
        QCOMPARE(FMessages.Boxes[0].Flags, MB_ICONSTOP);
        QCOMPARE(GoodsCount(), 2);
        QCOMPARE(w.GridStore->RowCount(), 3);
        QCOMPARE(Store.GetMode(), smBrowse);
        FWindow.reset();
        Store.Close();
        QDir(FFolder.path() + "/Data").removeRecursively();
    }

    void sortByColumn()
    {
        TMainFormStore& w = Open();
        w.GridStore->setFocus();
        w.GridStore->SetCol(5);
        Key(Qt::Key_F9);
        QCOMPARE(Store.Goods().GetIndexName(), std::string("IndWeight"));
        w.GridStore->SetRow(1);
        QCOMPARE(w.Panel->EditCode->text(), QString("33"));
    }

    // Choosing a row shows its goods and selects its newest movement.
    void rowShowsGoodsAndLastMovement()
    {
        Store.Goods().SetIndex(Store.Goods().IndCode.get());
        Store.Goods().SetRecNo(0);
        Store.AddGoods("1.00", "1", "second");
        TMainFormStore& w = Open();
        w.GridStore->setFocus();
        w.GridStore->SetCol(2);
        w.GridStore->SetRow(1);
        QCOMPARE(w.Panel->EditCode->text(), QString("11"));
        QCOMPARE(w.GridMoves->FilterCount(), 2);
        QCOMPARE(w.GridMoves->Row(), 2);
        QCOMPARE(w.Panel->EditNote->text(), QString("second"));
        w.GridMoves->SetRow(1);
        QCOMPARE(w.Panel->EditNote->text(), QString("first"));
        // Another column of the same row leaves the panel as it is.
        w.Panel->EditName->setText("typed");
        w.GridStore->SetCol(3);
        QCOMPARE(w.Panel->EditName->text(), QString("typed"));
        w.GridStore->SetRow(2);
        QCOMPARE(w.Panel->EditCode->text(), QString("22"));
        QCOMPARE(w.Panel->EditName->text(), QString("Pear"));
        QCOMPARE(w.Panel->EditNote->text(), QString());
    }

    // Each column shows its own field under its own caption. The goods
    // weighed and valued apart from each other, so that no two amounts
    // read alike; chosen by a click on their row.
    void columnsShowTheirFields()
    {
        Store.InsertGoods("44", "Quince", "1.50", "2.75", "7", "");
        TMainFormStore& w = Open();
        auto cell = [](const TDataGrid* grid, int row, const QString& caption) {
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                if (grid->model()->headerData(c, Qt::Horizontal).toString() == caption)
                    return grid->model()->data(grid->model()->index(row, c)).toString();
            return QString("no column " + caption);
        };
        int row = 0;
        while (row < w.GridStore->model()->rowCount() && cell(w.GridStore, row, "Code") != "44") ++row;
        const QRect name = w.GridStore->visualRect(w.GridStore->model()->index(row, 1));
        QTest::mouseClick(w.GridStore->viewport(), Qt::LeftButton, {}, name.center());
        QCOMPARE(w.Panel->EditCode->text(), QString("44"));

        // The grids show the day of a date and time.
        const QString day = Q(Store.Goods().LastDate.GetText()).section(' ', 0, 0);
        const std::pair<const char*, QString> goods[] = {
            {"Code", "44"}, {"Name", "Quince"}, {"Price", "1.50"}, {"Date", day},
            {"Qnt", "2.75"}, {"Pks", "7"},      {"Cost", "4.13"}};
        for (auto [caption, text] : goods) QCOMPARE(cell(w.GridStore, row, caption), text);
        const std::pair<const char*, QString> moves[] = {
            {"Date", day}, {"Mov", "+"}, {"Qnt", "2.75"}, {"Pks", "7"}, {"Sum", "4.13"}};
        QCOMPARE(w.GridMoves->FilterCount(), 1);
        for (auto [caption, text] : moves) QCOMPARE(cell(w.GridMoves, 0, caption), text);
    }

    // A new palette recolours the read-only edits at once, from its own
    // window and highlight colours.
    void paletteChangeRecoloursReadOnlyEdits()
    {
        TMainFormStore& w = Open();
        const QPalette old = QApplication::palette();
        QPalette p = old;
        p.setColor(QPalette::Base, QColor(200, 100, 0));
        p.setColor(QPalette::Highlight, QColor(0, 0, 100));
        QApplication::setPalette(p);
        QTRY_COMPARE(w.Panel->ReadOnlyColor(), QColor(140, 70, 30));
        QCOMPARE(w.Panel->EditCode->palette().color(QPalette::Base), QColor(140, 70, 30));
        Key(Qt::Key_F2);
        QCOMPARE(w.Panel->EditCode->palette().color(QPalette::Base), QColor(200, 100, 0));
        QCOMPARE(w.Panel->EditWeight->palette().color(QPalette::Base), QColor(140, 70, 30));
        QApplication::setPalette(old);
    }

    void emptyStockShowsZeros()
    {
        Store.Goods().Empty();
        TMainFormStore& w = Open();
        QCOMPARE(w.Panel->EditCode->text() + "|" + w.Panel->EditName->text() + "|" + w.Panel->EditCost->text() + "|" +
                     w.Panel->EditWeight->text() + "|" + w.Panel->EditPCount->text() + "|" + w.Panel->LbSum->text(),
                 QString("||0.00|0.00|0|0.00"));
        QCOMPARE(w.GridMoves->FilterCount(), 0);
    }

    void layoutRestored_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("used");
        QTest::newRow("first start") << 0 << 0 << false;
        QTest::newRow("779 wide") << 779 << 600 << false;
        QTest::newRow("513 high") << 900 << 513 << false;
        QTest::newRow("780 x 514") << 780 << 514 << true;
        QTest::newRow("larger") << 1000 << 700 << true;
    }
    void layoutRestored()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, used);
        TProgOptions& o = ProgOptions();
        o.SetLeft(5);
        o.SetTop(7);
        o.SetWidth(width);
        o.SetHeight(height);
        auto w = std::make_unique<TMainFormStore>();
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QRect expected = used ? QRect(5, 7, width, height)
                                    : QRect(screen.width() / 2 - MainMinWidth / 2,
                                            screen.height() / 2 - MainMinHeight / 2, MainMinWidth, MainMinHeight);
        QCOMPARE(w->geometry(), expected);
    }

    void layoutSaved()
    {
        TMainFormStore& w = Open();
        w.setGeometry(20, 30, 900, 600);
        w.GridStore->Header()->WMSectionWidthChange(0, 80 - w.GridStore->Header()->sectionSize(0));
        w.ActExit->trigger();
        QVERIFY(!w.isVisible());
        TProgOptions& o = ProgOptions();
        QCOMPARE(QRect(o.GetLeft(), o.GetTop(), o.GetWidth(), o.GetHeight()), w.geometry());
        const std::vector<int> store = {o.GetStoreCodeWidth(),  o.GetStoreNameWidth(),   o.GetStoreCostWidth(),
                                        o.GetStoreDateWidth(),  o.GetStoreWeightWidth(), o.GetStoreCountPWidth(),
                                        o.GetStoreSumWidth()};
        // A section holds the column and its grid line.
        for (int i = 0; i < 7; ++i) QCOMPARE(store[size_t(i)], w.GridStore->Header()->sectionSize(i) - 1);
        QCOMPARE(o.GetStoreCodeWidth(), 79);
        const std::vector<int> moves = {o.GetMovesDateWidth(), o.GetMovesMoveWidth(), o.GetMovesWeightWidth(),
                                        o.GetMovesCountPWidth(), o.GetMovesSumWidth()};
        for (int i = 0; i < 5; ++i) QCOMPARE(moves[size_t(i)], w.GridMoves->Header()->sectionSize(i) - 1);
        auto again = std::make_unique<TMainFormStore>();
        QCOMPARE(again->geometry(), QRect(20, 30, 900, 600));
        QCOMPARE(again->GridStore->Header()->sectionSize(0), 80);
    }

    // Widths the user left come back as they were stored, restart after
    // restart, narrow ones included.
    void widthsSurviveRestarts()
    {
        TProgOptions& o = ProgOptions();
        auto widths = [&o] {
            return std::vector<int>{o.GetStoreCodeWidth(),   o.GetStoreNameWidth(),   o.GetStoreCostWidth(),
                                    o.GetStoreDateWidth(),   o.GetStoreWeightWidth(), o.GetStoreCountPWidth(),
                                    o.GetStoreSumWidth(),    o.GetMovesDateWidth(),   o.GetMovesMoveWidth(),
                                    o.GetMovesWeightWidth(), o.GetMovesCountPWidth(), o.GetMovesSumWidth()};
        };
        TMainFormStore& first = Open();
        first.setGeometry(20, 30, 900, 600);
        DragBorder(first.GridStore->Header(), 2, -first.GridStore->Header()->sectionSize(2) / 2);
        DragBorder(first.GridMoves->Header(), 0, -first.GridMoves->Header()->sectionSize(0) / 3);
        first.close();
        const std::vector<int> stored = widths();
        for (int restart = 0; restart < 3; ++restart) {
            Open().close();
            QCOMPARE(widths(), stored);
        }
    }

    // File, Printer... asks the system each time: with no printer it says
    // there is none; a printer that came since opens the printer set-up, and
    // one gone since is no longer offered.
    void printerSetupAsksTheSystemEachTime()
    {
        TMainFormStore& w = Open();
        int dialogs = 0;
        auto printerSetup = [&] {
            FMessages.Boxes.clear();
            QTimer::singleShot(0, [&] {
                if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                    ++dialogs;
                    dialog->reject();
                }
            });
            w.ActPrinter->trigger();
        };
        printerSetup();
        QCOMPARE(dialogs, 0);
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
        QCOMPARE(FMessages.Boxes[0].Text, std::string("There are no printers installed on the system!"));
        QCOMPARE(FMessages.Boxes[0].Caption, std::string("Print"));
        FPrinters.List = {"Office"};
        printerSetup();
        QCOMPARE(dialogs, 1);
        QVERIFY(FMessages.Boxes.empty());
        FPrinters.List.clear();
        printerSetup();
        QCOMPARE(dialogs, 1);
        QCOMPARE(FMessages.Boxes.size(), size_t(1));
    }

    // Every text of the window and its dialogs changes with the language;
    // none of the English ones stays.
    void languageSwitch()
    {
        TMainFormStore& w = Open();
        w.SetMode(smBrowse);
        auto texts = [&w] {
            std::map<QString, QString> t;
            for (QAction* a : w.findChildren<QAction*>()) {
                if (a->objectName().isEmpty()) continue;
                t[a->objectName()] = a->text();
                t[a->objectName() + ".hint"] = a->statusTip();
            }
            for (QMenu* m : w.findChildren<QMenu*>()) {
                t[m->objectName()] = m->menuAction()->text();
            }
            for (QLabel* l : w.Client->findChildren<QLabel*>()) t[l->objectName()] = l->text();
            for (TDataGrid* g : {static_cast<TDataGrid*>(w.GridStore), static_cast<TDataGrid*>(w.GridMoves)})
                for (int c = 0; c < g->model()->columnCount(); ++c)
                    t[g->objectName() + QString::number(c)] = g->model()->headerData(c, Qt::Horizontal).toString();
            t["mode"] = w.StatusBar->Text(mpMode);
            t["clock"] = w.StatusBar->Text(mpClock).section(',', 0, 0).section(' ', 2, 2);
            t["stat"] = w.FormStat()->windowTitle();
            t["about"] = w.FormAbout()->windowTitle();
            t["pass"] = w.FormPassChange()->windowTitle();
            return t;
        };
        const auto english = texts();
        QCOMPARE(english.at("ActInsert"), QString("New"));
        QCOMPARE(english.at("MenuFile"), QString("File"));
        w.ActSelectUkrLang->trigger();
        QCOMPARE(ProgOptions().GetLanguage(), langUkrainian);
        QVERIFY(w.ActSelectUkrLang->isChecked());
        QVERIFY(!w.ActSelectEngLang->isChecked());
        const auto ukrainian = texts();
        QCOMPARE(ukrainian.at("ActInsert"), QString::fromStdString(TextTable[SlotInsertCaption]));
        int compared = 0;
        for (const auto& [key, text] : english) {
            if (text.isEmpty() || key == "ActSelectEngLang" || key == "LbSum") continue;
            QVERIFY2(ukrainian.at(key) != text, qPrintable(key + " stays " + text));
            ++compared;
        }
        QVERIFY(compared > 90);
        w.SetMode(smAdd);
        QCOMPARE(w.StatusBar->Text(mpMode), Q(TextTable.ModeNames[smAdd]));
        w.ActSelectEngLang->trigger();
        w.SetMode(smBrowse);
        QCOMPARE(texts(), english);
        QCOMPARE(ProgOptions().GetLanguage(), langEnglish);
    }

    // The language is chosen with the mouse through File and its language
    // menu; every action and menu of the table then carries the language's
    // caption and hint, and the keys of the table.
    void actionTable_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("russian") << int(langRussian);
        QTest::newRow("ukrainian") << int(langUkrainian);
        QTest::newRow("english") << int(langEnglish);
    }
    void actionTable()
    {
        QFETCH(int, language);
        TMainFormStore& w = Open();
        QAction* const choice[] = {w.ActSelectRusLang, w.ActSelectUkrLang, w.ActSelectEngLang};
        auto click = [](QWidget* menu, QAction* item) {
            const QRect r = qobject_cast<QMenuBar*>(menu) ? static_cast<QMenuBar*>(menu)->actionGeometry(item)
                                                          : static_cast<QMenu*>(menu)->actionGeometry(item);
            QTest::mouseClick(menu, Qt::LeftButton, {}, r.center());
        };
        click(w.menuBar(), w.MenuFile->menuAction());
        QTRY_VERIFY(w.MenuFile->isVisible());
        click(w.MenuFile, w.MenuLang->menuAction());
        QTRY_VERIFY(w.MenuLang->isVisible());
        click(w.MenuLang, choice[language]);
        QTRY_VERIFY(!w.MenuFile->isVisible());
        QCOMPARE(ProgOptions().GetLanguage(), TLanguage(language));
        for (int other = 0; other < 3; ++other) QCOMPARE(choice[other]->isChecked(), other == language);

        std::set<QString> names;
        for (const TMainAction& row : MainActions()) {
            QAction* act = w.*row.Member;
            QVERIFY2(act, row.Name);
            QCOMPARE(act->objectName(), QString(row.Name));
            QVERIFY2(names.insert(row.Name).second, row.Name);
            QVERIFY2(!TextTable[row.Caption].empty() && !TextTable[row.Hint].empty(), row.Name);
            QCOMPARE(act->text().section('\t', 0, 0), Q(TextTable[row.Caption]));
            QCOMPARE(act->statusTip(), Q(TextTable[row.Hint]));
            QCOMPARE(act->isCheckable(), row.Checkable);
            // Esc belongs to the one action the mode gives it.
            for (const QKeySequence& key : row.Keys)
                if (key != QKeySequence(Qt::Key_Escape)) QVERIFY2(act->shortcuts().contains(key), row.Name);
        }
        QCOMPARE(int(names.size()), int(w.actions().size()));
        QVERIFY(w.ActExit->shortcuts().contains(QKeySequence(Qt::Key_Escape)));
        for (const TMainMenu& row : MainMenus()) {
            QAction* item = (w.*row.Member)->menuAction();
            QVERIFY(!TextTable[row.Caption].empty());
            QCOMPARE(item->text(), Q(TextTable[row.Caption]));
            QCOMPARE(item->statusTip(), Q(TextTable[row.Hint]));
        }
    }

    // Qt's own dialogs and buttons follow the interface language.
    void qtDialogTexts()
    {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_uk.qm"))
            QSKIP("Qt's translations are not installed");
        TMainFormStore& w = Open();
        w.ActSelectUkrLang->trigger();
        QVERIFY(QCoreApplication::translate("QFileDialog", "New Folder") != "New Folder");
        QVERIFY(QCoreApplication::translate("QPlatformTheme", "Cancel") != "Cancel");
        w.ActSelectRusLang->trigger();
        const QString russian = QCoreApplication::translate("QPlatformTheme", "Cancel");
        QVERIFY(russian != "Cancel");
        w.ActSelectEngLang->trigger();
        QCOMPARE(QCoreApplication::translate("QFileDialog", "New Folder"), QString("New Folder"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
    }

    // Hints go to the first status panel; the others keep their place.
    void statusPanels()
    {
        const TDateTime before = Now();
        TMainFormStore& w = Open();
        QStatusTipEvent tip("Enter a new product");
        QApplication::sendEvent(&w, &tip);
        QCOMPARE(w.StatusBar->Text(mpHint), QString(" Enter a new product"));
        const QString clock = w.StatusBar->Text(mpClock);
        QVERIFY(clock.startsWith(' '));
        // The clock was set between the two readings, on one side of a minute's turn.
        const auto shown = [&clock](TDateTime at) {
            return Q(FormatDateTimeText(at)).left(clock.size() - 4) + clock.right(4);
        };
        if (clock != shown(before)) QCOMPARE(clock, shown(Now()));
        const int wide = w.StatusBar->PanelWidth(mpMode);
        w.resize(w.width() + 100, w.height());
        QTRY_COMPARE(w.StatusBar->PanelWidth(mpMode), wide + 100);
        QCOMPARE(w.StatusBar->PanelWidth(mpHint), 280);
    }
};

QTEST_MAIN(TestQMainForm)
#include "TestQMainForm.moc"
