#pragma once
// The program's main window: on the left the entry panel with the current
// goods, the grid of its movements and the goods' value; on the right the
// grid of all goods. The window works in one mode at a time (browse, edit,
// insert, search, delete, add, deduct), which decides the actions it offers,
// the keys they take and the edits that accept input. Every change of the
// data goes through the stock book Store.

#include "USetupNames.h"
#include "UStoreData.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;
class QTimer;

namespace tv {

class TDataGrid;
class TEntryPanel;
class TFilteredDataGrid;
class TFormAbout;
class TFormPassChange;
class TFormStat;
class TInOutManager;
class TMainKeyboard;
class TMoneyEdit;
class TStatusPanels;
class TTopWindow;

// The status bar's panels, left to right.
enum TMainPanel : int { mpHint, mpNumLock, mpMode, mpKeyboard, mpClock };

// The client area's design size; with the menu it is the window's least size.
inline constexpr int MainMinWidth = 780;
inline constexpr int MainMinHeight = 514;

class TMainFormStore : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window over the open Store in browse mode, with the
    // totals window, the about box (which may start the version check) and
    // the password change dialog. Registers it as the program's
    // "TMainFormStore" window, which answers the instance messages.
    explicit TMainFormStore(QWidget* parent = nullptr);
    ~TMainFormStore() override;

    // The current goods record into the entry panel, its movements into
    // GridMoves; empty values when there is none.
    void ShowCurrentGoods();
    void ShowMoves(int32_t goodsId);
    void ClearEdits();

    // Everything the mode allows, then Store's mode and the mode's name.
    void SetMode(TStoreMode mode);

    // The flows behind the actions.
    void StartInsert();
    void StartEdit();
    void StartAdd();
    void StartDeduct();
    void PostEdit();
    void CancelEdit();
    void DeleteCurrentGoods();
    void ShowTotals();
    void ShowAbout();
    void ChangePassword();
    void SaveBaseAs();
    void RestoreBaseFrom();
    void PrinterSetup();
    void OpenHelp();
    void ToggleAutogen();
    std::string NextAutoCode();
    void SortByColumn();
    void SearchGoods();

    // Loads the language's texts, stores the choice and re-applies every
    // text of the program's forms.
    void SelectLanguage(TLanguage language);
    void ApplyLanguageToForms();
    void ApplyLanguage();
    void ToggleNotebook();
    void ApplyNotebookMode();
    void SetNumLockForColumn(int column);
    void RestoreNumLock();
    void ShowNumLock();
    void ShowKeyboardLanguage();
    void ShowClock();
    void FitStatusPanels();

    // Around a long work on the data (export, import, report): the grids
    // are locked, then reloaded and the window returns to browsing.
    void BeginWork();
    void EndWork();

    // Position, size and column widths into the settings.
    void SaveLayout();

    // Runs an action's work; an error it raises goes to the program's
    // exception handler and the window stays usable.
    void Guard(const std::function<void()>& work);

    // Runs an edit operation on the edit that has the focus, or else on the
    // one whose context menu chose it.
    void OnChosenEdit(void (*op)(QLineEdit* edit, TMoneyEdit* money));

    QAction *ActRestoreBase, *ActSaveAs, *ActPrinter, *ActExit, *ActInsert, *ActEdit, *ActDelete,
        *ActAdd, *ActDed, *ActSearch, *ActSort, *ActPost, *ActCancel, *ActPrice, *ActStat, *ActAbout,
        *ActHelp, *ActSearchEnd, *ActChangePass, *ActEditCut, *ActEditCopy, *ActEditPaste,
        *ActEditSelectAll, *ActEditUndo, *ActEditDelete, *ActSelectRusLang, *ActSelectUkrLang,
        *ActNotebook, *ActAutogen, *ActSelectEngLang;
    QMenu *MenuFile, *MenuProduct, *MenuReport, *MenuHelp, *MenuLang, *MenuImport, *MenuExport,
        *PopupMenu, *PopupMenuEdit;
    // The labels and edits of the current goods.
    TEntryPanel* Panel = nullptr;
    TDataGrid* GridStore = nullptr;
    TFilteredDataGrid* GridMoves = nullptr;
    TStatusPanels* StatusBar = nullptr;
    QTimer* Timer = nullptr;
    QWidget* Client = nullptr;

    // The totals window, the about box and the password change dialog are
    // made by the start-up as children of the window; one that is missing
    // is made at its first showing.
    TFormStat* FormStat() const;
    TFormAbout* FormAbout() const;
    TFormPassChange* FormPassChange() const;
    TInOutManager* InOutManager() const { return FInOutManager.get(); }

    bool Active() const { return FActive; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void InitForm();
    // Qt's translations of the language, and its menu item checked.
    void TakeLanguage(TLanguage language);
    void RestoreBounds();
    void CreateActions();
    void CreateMenus();
    void CreateEdits();
    void CreateGrids();
    void PlaceAnchored();
    void PaintPanel(QPainter& painter);
    void UpdateLabelColors();
    // The goods grid's column of the field.
    int GoodsColumn(const TField& field) const;
    void SetPadShortcuts(bool pad);
    void ShowPadKeyNames();
    void StartBooking(TStoreMode mode);
    void EditEnter(bool numeric);
    void GridStoreKeyPress(QString& key);
    void GridStoreSelectCell(int col, int row, bool& canSelect);
    void GridStoreSearchText(const std::string& text);
    void GridMovesSelectCell(int col, int row, bool& canSelect);
    void SysColorChange();

    bool FActive = false;
    TMainKeyboard* FKeyboard = nullptr;
    bool FClosing = false;
    bool FSettingMode = false;
    QPointer<QLineEdit> FPopupEdit;
    std::unique_ptr<TInOutManager> FInOutManager;
    std::unique_ptr<TTopWindow> FTopWindow;
};

// The one main window while it exists, else null.
extern TMainFormStore* MainFormStore;

} // namespace tv
