#include "UMainForm.h"

#include "UBoxFont.h"

#include "UAboutForm.h"
#include "UAppSelect.h"
#include "UContacts.h"
#include "UDataGrid.h"
#include "UDateTime.h"
#include "UEntryPanel.h"
#include "UException.h"
#include "UExceptHandler.h"
#include "UEximRep.h"
#include "UFileSrv.h"
#include "UFilteredDataGrid.h"
#include "UFormPassChange.h"
#include "UFormStat.h"
#include "UGradient.h"
#include "UInOut.h"
#include "UKeyboard.h"
#include "UMainActions.h"
#include "UMainColumns.h"
#include "UMainKeyboard.h"
#include "UMainModes.h"
#include "UMessageBoxForm.h"
#include "UMessages.h"
#include "UMoneyEdit.h"
#include "UNbLabel.h"
#include "UPadKeys.h"
#include "UPrint.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UQtText.h"
#include "UQtLanguage.h"
#include "UStatusPanels.h"
#include "UStoreFields.h"
#include "UStoreMessages.h"
#include "UTextConst.h"
#include "UTopWindows.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QRawFont>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace tv {

TMainFormStore* MainFormStore = nullptr;

namespace {

std::string Trimmed(const QString& text) { return text.trimmed().toStdString(); }

// The edit's text without blanks around it; an edit that still shows the
// field's text gives that text untouched, so its bytes stay as they are.
std::string EditedText(const QLineEdit* edit, const TField& field)
{
    const std::string shown = field.GetText();
    return edit->text() == QString::fromStdString(shown) ? shown : Trimmed(edit->text());
}

// The goods grid stands right of the entry panel; the movements grid is as
// wide as the panel's wide edits.
constexpr int GridStoreLeft = 270;
constexpr int GridMovesWidth = WideEditWidth;

const QKeySequence KeyEsc(Qt::Key_Escape);
const QKeySequence KeyDel(Qt::Key_Delete);
const QKeySequence KeyPadPlus(Qt::KeypadModifier | Qt::Key_Plus);
const QKeySequence KeyPadMinus(Qt::KeypadModifier | Qt::Key_Minus);

} // namespace

TMainFormStore::TMainFormStore(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName("TMainFormStore");
    MainFormStore = this;
    InitForm();
    FTopWindow =
        std::make_unique<TTopWindow>("TMainFormStore", windowTitle().toStdString(), this, AnswerInstanceMessage);
}

TMainFormStore::~TMainFormStore()
{
    FInOutManager.reset();
    if (MainFormStore == this) MainFormStore = nullptr;
}

void TMainFormStore::InitForm()
{
    FActive = false;
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    Client = new TMainClient(
        this, [this](QPainter& p) { PaintPanel(p); }, [this] { PlaceAnchored(); });
    Client->setObjectName("Client");
    setCentralWidget(Client);
    setMinimumSize(MainMinWidth, MainMinHeight);
    resize(MainMinWidth, MainMinHeight);

    CreateActions();
    CreateMenus();
    RestoreBounds();

    StatusBar = new TStatusPanels(Client, {{280, Qt::AlignLeft, {}},
                                           {40, Qt::AlignHCenter, {}},
                                           {300, Qt::AlignHCenter, {}},
                                           {30, Qt::AlignHCenter, {}},
                                           {20, Qt::AlignLeft, {}}});
    StatusBar->setObjectName("StatusBar");
    StatusBar->TakeWorkHints();
    FKeyboard = new TMainKeyboard(this, StatusBar);
    CreateEdits();
    FInOutManager = std::make_unique<TInOutManager>(
        this, MenuExport, MenuImport, MenuReport, RegisteredInOuts(), [this] { BeginWork(); },
        [this] { EndWork(); });
    FInOutManager->SetErrorHandler(
        [this](std::exception_ptr e) { ExceptHandler.ApplicationException(this, e); });
    ShowClock();
    CreateGrids();
    PlaceAnchored();
    FitStatusPanels();
    ShowCurrentGoods();

    SetMode(smBrowse);
    ShowKeyboardLanguage();
    ShowNumLock();
    TakeLanguage(ProgOptions().GetLanguage());
    ApplyNotebookMode();
    ActAutogen->setChecked(ProgOptions().GetAutogenEnabled());
    ApplyLanguage();

    Timer = new QTimer(this);
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, [this] { ShowClock(); });
    Timer->start();
    new TPadKeys(this);
    UpdateLabelColors();
    if (FormMessageBox) FormMessageBox->SetMainForm(this);
}

void TMainFormStore::CreateActions()
{
    for (const TMainAction& row : MainActions()) {
        QAction* act = new QAction(this);
        act->setObjectName(row.Name);
        if (!row.Keys.isEmpty()) act->setShortcuts(row.Keys);
        act->setCheckable(row.Checkable);
        addAction(act);
        if (row.Work)
            connect(act, &QAction::triggered, this, [this, work = row.Work] { Guard([this, work] { work(*this); }); });
        this->*row.Member = act;
    }
    ActPrice->setVisible(false);
}

void TMainFormStore::OnChosenEdit(void (*op)(QLineEdit* edit, TMoneyEdit* money))
{
    QLineEdit* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!edit) edit = FPopupEdit;
    FPopupEdit = nullptr;
    if (edit) op(edit, qobject_cast<TMoneyEdit*>(edit));
}

void TMainFormStore::CreateMenus()
{
    auto menu = [](QMenu* parent, const char* name) {
        QMenu* m = parent->addMenu(QString());
        m->setObjectName(name);
        m->menuAction()->setObjectName(QString(name) + "Item");
        return m;
    };
    auto top = [this](const char* name) {
        QMenu* m = menuBar()->addMenu(QString());
        m->setObjectName(name);
        m->menuAction()->setObjectName(QString(name) + "Item");
        return m;
    };
    MenuFile = top("MenuFile");
    MenuExport = menu(MenuFile, "MenuExport");
    MenuImport = menu(MenuFile, "MenuImport");
    MenuFile->addActions({ActSaveAs, ActRestoreBase});
    MenuFile->addSeparator();
    MenuFile->addActions({ActChangePass, ActPrinter, ActNotebook, ActAutogen});
    MenuLang = menu(MenuFile, "MenuLang");
    MenuLang->addActions({ActSelectEngLang, ActSelectRusLang, ActSelectUkrLang});
    MenuFile->addSeparator();
    MenuFile->addAction(ActExit);

    auto productItems = [this](QMenu* m) {
        m->addActions({ActInsert, ActEdit, ActDelete});
        m->addSeparator();
        m->addActions({ActAdd, ActDed});
        m->addSeparator();
        m->addActions({ActSort, ActSearch, ActSearchEnd});
        m->addSeparator();
        m->addActions({ActPost, ActCancel});
    };
    MenuProduct = top("MenuProduct");
    productItems(MenuProduct);
    MenuReport = top("MenuReport");
    MenuReport->addAction(ActPrice);
    MenuReport->addSeparator();
    MenuReport->addAction(ActStat);
    MenuHelp = top("MenuHelp");
    MenuHelp->addActions({ActHelp, ActAbout});

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName("PopupMenu");
    productItems(PopupMenu);
    PopupMenuEdit = new QMenu(this);
    PopupMenuEdit->setObjectName("PopupMenuEdit");
    PopupMenuEdit->addAction(ActEditUndo);
    PopupMenuEdit->addSeparator();
    PopupMenuEdit->addActions({ActEditCut, ActEditCopy, ActEditPaste, ActEditDelete});
    PopupMenuEdit->addSeparator();
    PopupMenuEdit->addAction(ActEditSelectAll);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(mapToGlobal(pos)); });
}

void TMainFormStore::RestoreBounds()
{
    TProgOptions& o = ProgOptions();
    const int w = o.GetWidth();
    const int h = o.GetHeight();
    if (w >= MainMinWidth && h >= MainMinHeight) {
        setGeometry(o.GetLeft(), o.GetTop(), w, h);
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize s = screen ? screen->size() : QSize(width(), height());
    move(s.width() / 2 - width() / 2, s.height() / 2 - height() / 2);
}

void TMainFormStore::SaveLayout()
{
    TProgOptions& o = ProgOptions();
    const QRect g = geometry();
    o.SetLeft(g.left());
    o.SetTop(g.top());
    o.SetWidth(g.width());
    o.SetHeight(g.height());
    SaveColumnWidths(*GridStore, GoodsColumns(Store.Goods()), o);
    SaveColumnWidths(*GridMoves, MovesColumns(Store.Moves()), o);
    RestoreNumLock();
}

namespace {

bool Upright(const QRawFont& face)
{
    const QString style = face.styleName();
    return !style.contains("Italic", Qt::CaseInsensitive) && !style.contains("Oblique", Qt::CaseInsensitive);
}

// The window's family is about a sixth wider in digits than the face the
// column widths were made for; a condensed face of the same family brings
// dates and amounts back into them. Only a face the machine has and draws
// upright is taken: a condensed stretch alone can be answered with an
// oblique file. Without such a face the window's face is drawn narrower,
// the same file; failing that the window's font stays.
QFont GridFont(const QFont& Base)
{
    const QRawFont window = QRawFont::fromFont(Base);
    const QString family = window.familyName();
    for (const char* kind : {" Condensed", " Narrow"}) {
        QFont f = Base;
        f.setFamilies(QStringList{family + kind} + Base.families());
        const QRawFont drawn = QRawFont::fromFont(f);
        if (drawn.familyName() == family + kind && Upright(drawn)) return f;
    }
    QFont narrower = Base;
    narrower.setFamilies({family});
    narrower.setStyleName(window.styleName());
    narrower.setStretch(QFont::SemiCondensed);
    const QRawFont drawn = QRawFont::fromFont(narrower);
    if (Upright(window) && drawn.familyName() == family && drawn.styleName() == window.styleName())
        return narrower;
    return Base;
}

} // namespace

void TMainFormStore::CreateEdits()
{
    // The longest amounts fit the narrow edits in the grids' face.
    Panel = new TEntryPanel(Client, GridFont(font()));
    for (TLocalDbEdit* edit : Panel->Edits()) {
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this,
                [this, edit](const QPoint& pos) {
                    FPopupEdit = edit;
                    PopupMenuEdit->popup(edit->mapToGlobal(pos));
                });
    }
    for (TLocalDbEdit* e : {Panel->EditCode, Panel->EditCost, Panel->EditWeight, Panel->EditPCount})
        connect(e, &TLocalDbEdit::OnEnter, this, [this] { EditEnter(true); });
    for (TLocalDbEdit* e : {Panel->EditName, Panel->EditNote})
        connect(e, &TLocalDbEdit::OnEnter, this, [this] { EditEnter(false); });
}

void TMainFormStore::CreateGrids()
{
    TTableStore& g = Store.Goods();
    TProgOptions& o = ProgOptions();
    const QFont cells = GridFont(font());
    const TMainColumns goods = GoodsColumns(g);
    GridStore = new TDataGrid(Client, MakeGridColumns(goods, g, o), &g);
    GridStore->setObjectName("GridStore");
    GridStore->setFont(cells);
    // Stored widths come back as they were left.
    const bool firstStart = o.GetWidth() == 0;
    if (firstStart) GridStore->SetColumnWidths(FirstColumnWidths(*GridStore, width() - GridStoreLeft, goods));
    GridStore->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(GridStore, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(GridStore->viewport()->mapToGlobal(pos)); });
    connect(GridStore, &TDataGrid::OnKeyPress, this, [this](QString& key) { GridStoreKeyPress(key); });
    connect(GridStore, &TDataGrid::OnSelectCell, this,
            [this](int col, int row, bool& can) { GridStoreSelectCell(col, row, can); });
    connect(GridStore, &TDataGrid::OnSearchBegin, this, [this](const std::string&) { SetMode(smSearch); });
    connect(GridStore, &TDataGrid::OnSearchEnd, this, [this](const std::string&) { SetMode(smBrowse); });
    connect(GridStore, &TDataGrid::OnSearchChange, this,
            [this](const std::string& text) { GridStoreSearchText(text); });
    connect(GridStore, &TDataGrid::OnEnter, this, [this] { SetNumLockForColumn(GridStore->Col()); });

    TTableMoves& m = Store.Moves();
    const TMainColumns moves = MovesColumns(m);
    GridMoves = new TFilteredDataGrid(Client, MakeGridColumns(moves, m, o), &m);
    GridMoves->setObjectName("GridMoves");
    // The movements grid is as narrow as the entry panel's edits: its face
    // takes the largest size at which every column holds its values and
    // its caption in any language, the direction too.
    const QStringList directions{DirectionTexts[0], DirectionTexts[1]};
    const int room = GridMoves->SectionsRoom(GridMovesWidth);
    GridMoves->setFont(
        LargestFittingFont(cells, [&](const QFont& f) { return FirstStartRoom(f, moves, directions) <= room; }));
    if (firstStart) GridMoves->SetColumnWidths(FirstColumnWidths(*GridMoves, GridMovesWidth, moves));
    connect(GridMoves, &TDataGrid::OnSelectCell, this,
            [this](int col, int row, bool& can) { GridMovesSelectCell(col, row, can); });

    setTabOrder(GridStore, Panel->EditCode);
    setTabOrder(Panel->EditCode, Panel->EditName);
    setTabOrder(Panel->EditName, Panel->EditCost);
    setTabOrder(Panel->EditCost, Panel->EditWeight);
    setTabOrder(Panel->EditWeight, Panel->EditPCount);
    setTabOrder(Panel->EditPCount, GridMoves);
    setTabOrder(GridMoves, Panel->EditNote);
    GridStore->setFocus();
}

void TMainFormStore::PlaceAnchored()
{
    if (!GridStore || !StatusBar) return;
    const int cw = Client->width();
    const int ch = Client->height();
    const int statusHeight = 19;
    StatusBar->setGeometry(0, ch - statusHeight, cw, statusHeight);
    Panel->setGeometry(0, 0, GridStoreLeft, ch);
    Panel->Place(true);
    Panel->SetPanelEdge(GridStore);
    GridStore->setGeometry(GridStoreLeft, 0, std::max(0, cw - GridStoreLeft), std::max(0, ch - statusHeight));
    const QLabel* moves = Panel->LbMoves;
    const int movesTop = moves->y() + moves->height() + 1;
    GridMoves->setGeometry(moves->x() - 1, movesTop, GridMovesWidth,
                           std::max(0, Panel->LbMoveNote->y() - moves->y() - moves->height() - 2));
    FitStatusPanels();
}

void TMainFormStore::PaintPanel(QPainter& painter)
{
    const int right = GridStore ? GridStore->x() : GridStoreLeft;
    PaintEntryPanel(painter, FActive, right, Client->height());
    if (Panel) Panel->SetActive(FActive);
}

// ---- the current goods ----

void TMainFormStore::ShowCurrentGoods()
{
    TTableStore& g = Store.Goods();
    if (g.RecordCount() == 0) {
        ClearEdits();
        return;
    }
    Panel->ShowGoods(g);
    ShowMoves(g.ID.GetValue());
}

void TMainFormStore::ShowMoves(int32_t goodsId)
{
    TTableMoves& m = Store.Moves();
    const TVariant first = TVariant::DateTime(EncodeDate(1, 1, 1));
    // The next goods after the largest id cannot be named; its key range
    // then runs to the end.
    const int32_t high = goodsId == INT32_MAX ? goodsId : goodsId + 1;
    GridMoves->SetFilter(m.IndSD.get(), {goodsId, first}, {high, first});
    GridMoves->SetRow(GridMoves->RowCount() - 1);
}

void TMainFormStore::ClearEdits()
{
    Panel->Clear();
    ShowMoves(0);
    Panel->EditNote->setText(QString());
}

void TMainFormStore::GridMovesSelectCell(int, int, bool&)
{
    TTableMoves& m = Store.Moves();
    const QString note = GridMoves->FilterCount() > 0 ? ToQ(m.Note.GetText()) : QString();
    if (Panel->EditNote->text() != note) Panel->EditNote->setText(note);
}

void TMainFormStore::GridStoreSelectCell(int col, int row, bool&)
{
    if (col != GridStore->Col()) SetNumLockForColumn(col);
    if (col == GridStore->Col() || row != GridStore->Row()) ShowCurrentGoods();
}

void TMainFormStore::GridStoreKeyPress(QString& key)
{
    if (GridStore->Col() != GoodsColumn(Store.Goods().Code)) return;
    if (key.size() == 1 && ((key[0] >= '0' && key[0] <= '9') || key[0] == QChar(8))) return;
    key.clear();
}

void TMainFormStore::GridStoreSearchText(const std::string& text)
{
    const std::string& name = TextTable.ModeNames[smSearch];
    StatusBar->SetText(mpMode, ToQ(text.empty() ? name : name + "  \"" + text + "\""));
    if (GridStore->Col() == GoodsColumn(Store.Goods().Name))
        Store.FindByName(text);
    else if (GridStore->Col() == GoodsColumn(Store.Goods().Code))
        Store.FindByCode(text);
    else
        return;
    // The found goods may take the row number the grid stands on already,
    // and then no cell change shows it.
    ShowCurrentGoods();
}

void TMainFormStore::SortByColumn() { GridStore->SortByColumn(GridStore->Col() - GridStore->FixedCols()); }

void TMainFormStore::SearchGoods()
{
    const int code = GoodsColumn(Store.Goods().Code);
    if (GridStore->Col() != code && GridStore->Col() != GoodsColumn(Store.Goods().Name)) GridStore->SetCol(code);
    if (GridStore->isEnabled() && GridStore->isVisible()) GridStore->setFocus();
    GridStore->SearchCurrentColumn();
    if (ProgOptions().GetEnhanced() && GridStore->Col() != code) SetPadShortcuts(false);
}

// ---- modes ----

void TMainFormStore::SetMode(TStoreMode mode)
{
    // Disabling the focused grid moves the focus; what that sets off must
    // not change the mode under way.
    if (FSettingMode) return;
    // A search running into another mode ends first, through its own
    // change to browsing.
    if (mode != smSearch && GridStore->Searching()) GridStore->CancelSearch();
    FSettingMode = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } done{FSettingMode};
    const bool notEmpty = Store.Goods().RecordCount() > 0;
    const TModeRules r = ModeRules(mode, notEmpty);
    GridStore->setEnabled(r.Grids);
    GridMoves->setEnabled(r.Grids);
    ActInsert->setEnabled(r.Insert);
    for (QAction* a : {ActEdit, ActDelete, ActAdd, ActDed}) a->setEnabled(r.GoodsActions);
    ActSort->setEnabled(r.Sort);
    ActSearch->setEnabled(r.Search);
    ActSearch->setVisible(r.SearchVisible);
    ActPost->setEnabled(r.PostCancel);
    ActCancel->setEnabled(r.PostCancel);
    ActSearchEnd->setEnabled(r.SearchEnd);
    ActSearchEnd->setVisible(r.SearchEnd);
    for (QAction* a : {ActStat, ActSaveAs, ActRestoreBase}) a->setEnabled(r.Work);
    if (r.Work)
        FInOutManager->EnableAll();
    else
        FInOutManager->DisableAll();
    Panel->SetWritable(r.Writable);
    Panel->ShowSign(r.Plus);

    const TModeKeys k = ModeKeys(mode);
    auto key = [](QAction* act, TKeyRule rule, const QKeySequence& seq) {
        if (rule == TKeyRule::Set)
            act->setShortcut(seq);
        else if (rule == TKeyRule::Clear)
            act->setShortcut(QKeySequence());
    };
    key(ActCancel, k.Cancel, KeyEsc);
    key(ActSearchEnd, k.SearchEnd, KeyEsc);
    key(ActExit, k.Exit, KeyEsc);
    key(ActDelete, k.Delete, KeyDel);
    if (ProgOptions().GetEnhanced() && k.PadKeys != TKeyRule::Keep) SetPadShortcuts(k.PadKeys == TKeyRule::Set);

    Store.SetMode(mode);
    StatusBar->SetText(mpMode, ToQ(TextTable.ModeNames[mode]));
}

void TMainFormStore::SetPadShortcuts(bool pad)
{
    auto set = [pad](QAction* act, const QKeySequence& padKey, const QKeySequence& fKey) {
        QList<QKeySequence> keys;
        if (pad) keys << padKey;
        keys << fKey;
        if (act->shortcuts() != keys) act->setShortcuts(keys);
    };
    set(ActAdd, KeyPadPlus, QKeySequence(Qt::Key_F12));
    set(ActDed, KeyPadMinus, QKeySequence(Qt::Key_F11));
    ShowPadKeyNames();
}

void TMainFormStore::ShowPadKeyNames()
{
    // Menus show the text after a tab in place of the shortcut's own name.
    for (QAction* act : {ActAdd, ActDed}) {
        const QString name = PadKeyName(act->shortcut());
        const QString caption = act->text().section('\t', 0, 0);
        const QString text = name.isEmpty() ? caption : caption + '\t' + name;
        if (act->text() != text) act->setText(text);
    }
}

// ---- flows ----

void TMainFormStore::StartInsert()
{
    SetMode(smInsert);
    ClearEdits();
    if (ProgOptions().GetAutogenEnabled()) {
        Panel->EditCode->setText(ToQ(NextAutoCode()));
        Panel->EditName->setFocus();
    } else {
        Panel->EditCode->setFocus();
    }
}

void TMainFormStore::StartEdit()
{
    QWidget* noted = QApplication::focusWidget();
    const int col = GridStore->Col();
    SetMode(smEdit);
    if (noted == Panel->EditCode || noted == Panel->EditName || noted == Panel->EditCost) {
        noted->setFocus();
        return;
    }
    if (noted == GridStore && col == GoodsColumn(Store.Goods().Name))
        Panel->EditName->setFocus();
    else if (noted == GridStore && col == GoodsColumn(Store.Goods().Cost))
        Panel->EditCost->setFocus();
    else
        Panel->EditCode->setFocus();
}

void TMainFormStore::StartAdd() { StartBooking(smAdd); }

void TMainFormStore::StartDeduct() { StartBooking(smDeduct); }

void TMainFormStore::StartBooking(TStoreMode mode)
{
    SetMode(mode);
    Panel->EditNote->setText(QString());
    QWidget* focus = QApplication::focusWidget();
    if (focus != Panel->EditWeight && focus != Panel->EditPCount && focus != Panel->EditNote)
        Panel->EditWeight->setFocus();
    // The totals stand in the edits as the starting text; selected, the
    // first key typed replaces them instead of adding to the whole stock
    // (a Tab into the other edit selects its text too).
    if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) edit->selectAll();
}

void TMainFormStore::PostEdit()
{
    const std::string code = Trimmed(Panel->EditCode->text());
    const std::string name = Trimmed(Panel->EditName->text());
    const std::string cost = Trimmed(Panel->EditCost->text());
    const std::string weight = Trimmed(Panel->EditWeight->text());
    const std::string packs = Trimmed(Panel->EditPCount->text());
    const std::string note = Trimmed(Panel->EditNote->text());
    switch (Store.GetMode()) {
    case smInsert:
        if (!Store.CanInsert(cost, weight, packs)) {
            ShowOneButton(TextTable[SlotCostTooHigh], TextTable[SlotQuantityCaption], MB_ICONINFORMATION);
            return;
        }
        Store.InsertGoods(code, name, cost, weight, packs, note);
        break;
    case smAdd:
        if (!Store.CanAdd(weight, packs)) {
            ShowOneButton(TextTable[SlotCostTooHigh], TextTable[SlotQuantityCaption], MB_ICONINFORMATION);
            return;
        }
        Store.AddGoods(weight, packs, note);
        break;
    case smDeduct:
        if (!Store.CanDeduct(weight, packs)) {
            ShowOneButton(TextTable[SlotNotEnoughGoods], TextTable[SlotRestCaption], MB_ICONINFORMATION);
            return;
        }
        Store.DeductGoods(weight, packs, note);
        break;
    case smEdit:
        if (!Store.CanSetCost(cost)) {
            ShowOneButton(TextTable[SlotPriceTooHigh], TextTable[SlotPriceCaption], MB_ICONINFORMATION);
            return;
        }
        Store.EditGoods(EditedText(Panel->EditCode, Store.Goods().Code),
                        EditedText(Panel->EditName, Store.Goods().Name), cost);
        break;
    default:
        break;
    }
    GridStore->Reload();
    SetMode(smBrowse);
    GridStore->setFocus();
    ShowCurrentGoods();
}

void TMainFormStore::CancelEdit()
{
    SetMode(smBrowse);
    GridStore->setFocus();
    ShowCurrentGoods();
}

void TMainFormStore::DeleteCurrentGoods()
{
    SetMode(smDelete);
    TTableStore& g = Store.Goods();
    const std::string item = FitToMessageBox("(" + g.Code.GetText() + ")  " + g.Name.GetText(), TMessageFit::WordBreaks);
    const std::string question = TextTable[SlotRemoveQuestionStart] + item + TextTable[SlotRemoveQuestionEnd];
    GridStore->setEnabled(true);
    if (GridStore->isVisible()) GridStore->setFocus();
    std::exception_ptr error;
    if (ShowMessageBox(question, TextTable[SlotRemoveCaption], MB_TWOBUTTONS | MB_ICONQUESTION, TextTable[SlotYes], TextTable[SlotRemoveYesHint],
                       TextTable[SlotNo], TextTable[SlotRemoveNoHint]) == 1) {
        try {
            Store.DeleteGoods();
        } catch (...) {
            error = std::current_exception();
        }
        GridStore->Reload();
    }
    // Browsing again in every case, the failure shown over it.
    SetMode(smBrowse);
    ShowCurrentGoods();
    if (error) std::rethrow_exception(error);
}

TFormStat* TMainFormStore::FormStat() const { return findChild<TFormStat*>(); }
TFormAbout* TMainFormStore::FormAbout() const { return findChild<TFormAbout*>(); }
TFormPassChange* TMainFormStore::FormPassChange() const { return findChild<TFormPassChange*>(); }

void TMainFormStore::ShowTotals()
{
    TFormStat* form = FormStat();
    if (!form) form = new TFormStat(&Store, this);
    if (form->Refresh()) form->exec();
}

void TMainFormStore::ShowAbout()
{
    TFormAbout* form = FormAbout();
    (form ? form : new TFormAbout(&ProgOptions(), this))->exec();
}

void TMainFormStore::ChangePassword()
{
    TFormPassChange* form = FormPassChange();
    (form ? form : new TFormPassChange(&GlobalPass(), this))->exec();
}

void TMainFormStore::SaveBaseAs()
{
    std::string folder = ProgOptions().GetLastCopy();
    if (!BrowseForFolder(folder, 3, TextTable[SlotBackupCaption], TextTable[SlotChooseBackupFolder], "", "", this)) return;
    const bool saved = Store.SaveAs(folder);
    const std::string shown = "\r\n" + FitToMessageBox(folder, TMessageFit::PathLines);
    if (saved) {
        ProgOptions().SetLastCopy(folder);
        ShowOneButton(TextTable[SlotBackupDone] + shown, TextTable[SlotBackupCaption], MB_ICONINFORMATION);
    } else {
        ShowOneButton(TextTable[SlotBackupCopyFailed] + shown, TextTable[SlotBackupCaption], MB_ICONEXCLAMATION);
    }
    SetMode(smBrowse);
}

void TMainFormStore::RestoreBaseFrom()
{
    std::string folder = ProgOptions().GetLastCopy();
    if (folder.empty()) {
        std::error_code ec;
        folder = ProgramFolder() + HistFolder;
        if (!std::filesystem::is_directory(folder, ec)) folder.clear();
    }
    if (!BrowseForFolder(folder, 1, TextTable[SlotRestoreCaption], TextTable[SlotChooseRestoreFolder], "", "", this)) return;
    bool restored = false;
    std::exception_ptr error;
    try {
        restored = Store.RestoreBase(folder);
    } catch (...) {
        error = std::current_exception();
    }
    // The grids show whatever is open now, also after a failure.
    if (GridStore->RowCount() > 1) GridStore->SetRow(1);
    GridStore->Reload();
    ShowCurrentGoods();
    if (error) {
        SetMode(smBrowse);
        std::rethrow_exception(error);
    }
    const std::string shown = "\r\n" + FitToMessageBox(folder, TMessageFit::PathLines);
    if (restored) {
        ProgOptions().SetLastCopy(folder);
        ShowOneButton(TextTable[SlotRestoreDone] + shown, TextTable[SlotRestoreCaption], MB_ICONINFORMATION);
    } else if (!Store.RestoreFailureShown()) {
        ShowOneButton(TextTable[SlotRestoreCopyFailed] + shown, TextTable[SlotRestoreCaption], MB_ICONEXCLAMATION);
    }
    SetMode(smBrowse);
}

void TMainFormStore::PrinterSetup()
{
    if (!PrintManager().HasPrinters()) {
        ShowOneButton(TextTable[SlotNoPrinters], TextTable[SlotPrintCaption], MB_ICONINFORMATION, TextTable[SlotClosePrintMessageHint]);
        return;
    }
    try {
        tv::PrinterSetup(this);
    } catch (const std::exception&) {
        ShowOneButton(TextTable[SlotPrinterInitError], TextTable[SlotPrintCaption], MB_ICONINFORMATION, TextTable[SlotClosePrintMessageHint]);
    }
}

void TMainFormStore::OpenHelp() { RunProgram(TextTable[SlotHelpAddress]); }

void TMainFormStore::ToggleAutogen()
{
    const bool enabled = !ProgOptions().GetAutogenEnabled();
    ProgOptions().SetAutogenEnabled(enabled);
    ActAutogen->setChecked(enabled);
}

std::string TMainFormStore::NextAutoCode()
{
    TProgOptions& o = ProgOptions();
    return AutoCode(o.GetAutogenNuls(), o.GetAutogenDelta(), Store.Goods().ID.GetNextKeyValue(),
                    TEntryPanel::CodeDigits);
}

void TMainFormStore::BeginWork()
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    GridMoves->setEnabled(false);
    GridStore->setEnabled(false);
}

void TMainFormStore::EndWork()
{
    GridStore->setEnabled(true);
    GridMoves->setEnabled(true);
    GridStore->Reload();
    ShowCurrentGoods();
    if (GridStore->isVisible()) GridStore->setFocus();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    SetMode(smBrowse);
}

void TMainFormStore::Guard(const std::function<void()>& work)
{
    try {
        work();
    } catch (...) {
        ExceptHandler.ApplicationException(this, std::current_exception());
    }
}

// ---- language ----

void TMainFormStore::SelectLanguage(TLanguage language)
{
    LoadLanguageTexts(language);
    ProgOptions().SetLanguage(language);
    TakeLanguage(language);
    ApplyLanguageToForms();
}

void TMainFormStore::TakeLanguage(TLanguage language)
{
    ApplyQtTranslations(language);
    ActSelectRusLang->setChecked(language == langRussian);
    ActSelectUkrLang->setChecked(language == langUkrainian);
    ActSelectEngLang->setChecked(language == langEnglish);
}

void TMainFormStore::ApplyLanguageToForms()
{
    if (TFormAbout* about = FormAbout()) about->ApplyLanguage();
    if (TFormPassChange* pass = FormPassChange()) pass->ApplyLanguage();
    if (TFormStat* stat = FormStat()) stat->ApplyLanguage();
    ApplyLanguage();
    FitStatusPanels();
    // Asking to install a layout makes sense only where the keyboard can be changed.
    if (!SelectKeyboardLayout(TextTable[SlotLayoutId], true) && KeyboardAvailable()) {
        if (ShowMessageBox(TextTable[SlotLayoutInstallQuestion], TextTable[SlotLayoutInstallCaption], MB_TWOBUTTONS | MB_ICONQUESTION, TextTable[SlotYes],
                           TextTable[SlotLayoutInstallYesHint], TextTable[SlotNo], TextTable[SlotLayoutInstallNoHint]) == 1)
            LoadKeyboardLayoutActive(TextTable[SlotLayoutId]);
    }
    ShowKeyboardLanguage();
}

void TMainFormStore::ApplyLanguage()
{
    RelabelMainActions(*this);
    ShowPadKeyNames();
    const std::pair<QLabel*, TTextSlot> labels[] = {{Panel->LbCode, SlotLabelCode},
                                                     {Panel->LbCost, SlotLabelCost},
                                                     {Panel->LbCostNote, SlotLabelCostNote},
                                                     {Panel->LbMoves, SlotLabelMoves},
                                                     {Panel->LbName, SlotLabelName},
                                                     {Panel->LbMoveNote, SlotLabelMoveNote},
                                                     {Panel->LbPCount, SlotLabelPacks},
                                                     {Panel->LbPCountNote, SlotLabelPacksNote},
                                                     {Panel->LbSumTitle, SlotLabelSumTitle},
                                                     {Panel->LbWeight, SlotLabelQuantity},
                                                     {Panel->LbWeightNote, SlotLabelQuantityNote}};
    for (auto [label, slot] : labels)
        label->setText(ToQ(TextTable[slot]));
    Panel->FitCaptions();
    SetColumnCaptions(*GridStore, GoodsColumns(Store.Goods()));
    SetColumnCaptions(*GridMoves, MovesColumns(Store.Moves()));
    FInOutManager->SetLanguage(ProgOptions().GetLanguage());
    ShowClock();
    const TStoreMode mode = Store.GetMode();
    if (mode == smSearch)
        GridStoreSearchText(GridStore->SearchText());
    else
        StatusBar->SetText(mpMode, ToQ(TextTable.ModeNames[std::min<int>(mode, ModeNameCount - 1)]));
    GridStore->viewport()->update();
    GridMoves->viewport()->update();
    GridStore->InvalidateData();
    GridMoves->InvalidateData();
}

// ---- keyboard ----

void TMainFormStore::ToggleNotebook()
{
    RestoreNumLock();
    ProgOptions().SetEnhanced(!ProgOptions().GetEnhanced());
    ApplyNotebookMode();
    if (ProgOptions().GetEnhanced()) return;
    QWidget* focus = QApplication::focusWidget();
    if (focus == GridStore)
        SetNumLockForColumn(GridStore->Col());
    else if (focus == Panel->EditName || focus == Panel->EditNote)
        EditEnter(false);
    else if (qobject_cast<TLocalDbEdit*>(focus))
        EditEnter(true);
}

void TMainFormStore::ApplyNotebookMode()
{
    const bool enhanced = ProgOptions().GetEnhanced();
    ActNotebook->setChecked(!enhanced);
    if (enhanced) {
        const TModeKeys k = ModeKeys(Store.GetMode());
        SetPadShortcuts(k.PadKeys != TKeyRule::Clear);
    } else {
        ActAdd->setShortcuts({QKeySequence(Qt::Key_F12)});
        ActDed->setShortcuts({QKeySequence(Qt::Key_F11)});
        ShowPadKeyNames();
    }
}

void TMainFormStore::EditEnter(bool numeric) { FKeyboard->EditEnter(numeric); }

void TMainFormStore::SetNumLockForColumn(int column) { EditEnter(column != GoodsColumn(Store.Goods().Name)); }

int TMainFormStore::GoodsColumn(const TField& field) const
{
    return GridColumnOf(*GridStore, GoodsColumns(Store.Goods()), field);
}

void TMainFormStore::RestoreNumLock() { FKeyboard->RestoreNumLock(); }

void TMainFormStore::ShowNumLock() { FKeyboard->ShowNumLock(); }

void TMainFormStore::ShowKeyboardLanguage() { FKeyboard->ShowLanguage(); }

void TMainFormStore::ShowClock() { StatusBar->SetText(mpClock, ToQ(FormatDateTimeText(Now()))); }

void TMainFormStore::FitStatusPanels()
{
    if (!StatusBar) return;
    const QFontMetrics m(StatusBar->font());
    const int clock = m.horizontalAdvance(StatusBar->Text(mpClock) + "0") + 8;
    const int w = StatusBar->width() - clock - StatusBar->PanelWidth(mpKeyboard) - StatusBar->PanelWidth(mpNumLock) -
                  StatusBar->PanelWidth(mpHint);
    if (StatusBar->PanelWidth(mpMode) != w) StatusBar->SetPanelWidth(mpMode, w);
}

// ---- window events ----

void TMainFormStore::UpdateLabelColors()
{
    if (Panel) Panel->ColourLabels(FActive, GridStore ? GridStore->x() : GridStoreLeft);
}

void TMainFormStore::SysColorChange()
{
    MainGradienter().Refresh();
    GridStore->UpdateRowColors();
    GridMoves->UpdateRowColors();
    Panel->ComputeReadOnlyColor();
    UpdateLabelColors();
    StatusBar->update();
    GridStore->UpdateHeaderStyle();
    GridMoves->UpdateHeaderStyle();
    Client->update();
}

void TMainFormStore::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowTitleChange:
        if (FTopWindow) FTopWindow->SetCaption(windowTitle().toStdString());
        break;
    case QEvent::ActivationChange:
        FActive = isActiveWindow();
        UpdateLabelColors();
        update();
        Client->update();
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
        if (GridStore) SysColorChange();
        break;
    default:
        break;
    }
    QMainWindow::changeEvent(event);
}

bool TMainFormStore::event(QEvent* event)
{
    // Hints go to the first status panel, which the others stay beside.
    if (event->type() == QEvent::StatusTip) {
        if (StatusBar) StatusBar->SetText(mpHint, " " + static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainFormStore::closeEvent(QCloseEvent* event)
{
    SaveLayout();
    QMainWindow::closeEvent(event);
}

} // namespace tv
