#include "UMainActions.h"

#include "UDataGrid.h"
#include "UMainForm.h"
#include "UMoneyEdit.h"
#include "UQtText.h"
#include "UTextConst.h"

#include <QAction>
#include <QMenu>

namespace tv {

namespace {

using TForm = TMainFormStore;

const QKeySequence KeyEsc(Qt::Key_Escape);

// A money edit keeps its shape and has no undo.
void EditCut(QLineEdit* e, TMoneyEdit* m) { m ? m->CutSelection() : e->cut(); }
void EditCopy(QLineEdit* e, TMoneyEdit*) { e->copy(); }
void EditPaste(QLineEdit* e, TMoneyEdit* m) { m ? m->PasteText() : e->paste(); }
void EditSelectAll(QLineEdit* e, TMoneyEdit*) { e->selectAll(); }
void EditUndo(QLineEdit* e, TMoneyEdit* m)
{
    if (!m) e->undo();
}
void EditDelete(QLineEdit* e, TMoneyEdit* m)
{
    if (m)
        m->ClearSelection();
    else if (!e->isReadOnly() && e->hasSelectedText())
        e->del();
}

} // namespace

std::span<const TMainAction> MainActions()
{
    // Either Enter key posts; the menus name the first one "Enter".
    static const TMainAction actions[] = {
        {&TForm::ActRestoreBase, "ActRestoreBase", {}, SlotRestoreBaseCaption, SlotRestoreBaseHint,
         [](TForm& f) { f.RestoreBaseFrom(); }, false},
        {&TForm::ActSaveAs, "ActSaveAs", {}, SlotSaveAsCaption, SlotSaveAsHint, [](TForm& f) { f.SaveBaseAs(); },
         false},
        {&TForm::ActPrinter, "ActPrinter", {}, SlotPrinterCaption, SlotPrinterHint,
         [](TForm& f) { f.PrinterSetup(); }, false},
        {&TForm::ActExit, "ActExit", {KeyEsc}, SlotExitCaption, SlotExitHint, [](TForm& f) { f.close(); }, false},
        {&TForm::ActInsert, "ActInsert", {QKeySequence(Qt::Key_Insert)}, SlotInsertCaption, SlotInsertHint,
         [](TForm& f) { f.StartInsert(); }, false},
        {&TForm::ActEdit, "ActEdit", {QKeySequence(Qt::Key_F2)}, SlotEditCaption, SlotEditHint,
         [](TForm& f) { f.StartEdit(); }, false},
        {&TForm::ActDelete, "ActDelete", {QKeySequence(Qt::Key_Delete)}, SlotDeleteCaption, SlotDeleteHint,
         [](TForm& f) { f.DeleteCurrentGoods(); }, false},
        {&TForm::ActAdd, "ActAdd", {QKeySequence(Qt::Key_F12)}, SlotAddCaption, SlotAddHint,
         [](TForm& f) { f.StartAdd(); }, false},
        {&TForm::ActDed, "ActDed", {QKeySequence(Qt::Key_F11)}, SlotDeductCaption, SlotDeductHint,
         [](TForm& f) { f.StartDeduct(); }, false},
        {&TForm::ActSearch, "ActSearch", {QKeySequence(Qt::Key_F3)}, SlotSearchCaption, SlotSearchHint,
         [](TForm& f) { f.SearchGoods(); }, false},
        {&TForm::ActSort, "ActSort", {QKeySequence(Qt::Key_F9)}, SlotSortCaption, SlotSortHint,
         [](TForm& f) { f.SortByColumn(); }, false},
        {&TForm::ActPost, "ActPost",
         {QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return), QKeySequence(Qt::KeypadModifier | Qt::Key_Enter)},
         SlotPostCaption, SlotPostHint, [](TForm& f) { f.PostEdit(); }, false},
        {&TForm::ActCancel, "ActCancel", {}, SlotCancelCaption, SlotCancelHint, [](TForm& f) { f.CancelEdit(); },
         false},
        {&TForm::ActPrice, "ActPrice", {}, SlotPriceListCaption, SlotPriceListHint, nullptr, false},
        {&TForm::ActStat, "ActStat", {}, SlotStatCaption, SlotStatHint, [](TForm& f) { f.ShowTotals(); }, false},
        {&TForm::ActAbout, "ActAbout", {}, SlotAboutActionCaption, SlotAboutActionHint,
         [](TForm& f) { f.ShowAbout(); }, false},
        {&TForm::ActHelp, "ActHelp", {}, SlotHelpCaption, SlotHelpHint, [](TForm& f) { f.OpenHelp(); }, false},
        {&TForm::ActSearchEnd, "ActSearchEnd", {KeyEsc}, SlotSearchEndCaption, SlotSearchEndHint,
         [](TForm& f) { f.GridStore->CancelSearch(); }, false},
        {&TForm::ActChangePass, "ActChangePass", {}, SlotChangePassCaption, SlotChangePassHint,
         [](TForm& f) { f.ChangePassword(); }, false},
        {&TForm::ActEditCut, "ActEditCut", {}, SlotCutCaption, SlotCutHint,
         [](TForm& f) { f.OnChosenEdit(EditCut); }, false},
        {&TForm::ActEditCopy, "ActEditCopy", {}, SlotCopyCaption, SlotCopyHint,
         [](TForm& f) { f.OnChosenEdit(EditCopy); }, false},
        {&TForm::ActEditPaste, "ActEditPaste", {}, SlotPasteCaption, SlotPasteHint,
         [](TForm& f) { f.OnChosenEdit(EditPaste); }, false},
        {&TForm::ActEditSelectAll, "ActEditSelectAll", {}, SlotSelectAllCaption, SlotSelectAllHint,
         [](TForm& f) { f.OnChosenEdit(EditSelectAll); }, false},
        {&TForm::ActEditUndo, "ActEditUndo", {}, SlotUndoCaption, SlotUndoHint,
         [](TForm& f) { f.OnChosenEdit(EditUndo); }, false},
        {&TForm::ActEditDelete, "ActEditDelete", {}, SlotEditDeleteCaption, SlotEditDeleteHint,
         [](TForm& f) { f.OnChosenEdit(EditDelete); }, false},
        {&TForm::ActSelectRusLang, "ActSelectRusLang", {}, SlotRusLangCaption, SlotRusLangHint,
         [](TForm& f) { f.SelectLanguage(langRussian); }, true},
        {&TForm::ActSelectUkrLang, "ActSelectUkrLang", {}, SlotUkrLangCaption, SlotUkrLangHint,
         [](TForm& f) { f.SelectLanguage(langUkrainian); }, true},
        {&TForm::ActNotebook, "ActNotebook", {}, SlotNotebookCaption, SlotNotebookHint,
         [](TForm& f) { f.ToggleNotebook(); }, true},
        {&TForm::ActAutogen, "ActAutogen", {}, SlotAutogenCaption, SlotAutogenHint,
         [](TForm& f) { f.ToggleAutogen(); }, true},
        {&TForm::ActSelectEngLang, "ActSelectEngLang", {}, SlotEngLangCaption, SlotEngLangHint,
         [](TForm& f) { f.SelectLanguage(langEnglish); }, true},
    };
    return actions;
}

std::span<const TMainMenu> MainMenus()
{
    static const TMainMenu menus[] = {
        {&TForm::MenuFile, SlotMenuFileCaption, SlotMenuFileHint},
        {&TForm::MenuProduct, SlotMenuProductCaption, SlotMenuProductHint},
        {&TForm::MenuReport, SlotMenuReportCaption, SlotMenuReportHint},
        {&TForm::MenuHelp, SlotMenuHelpCaption, SlotMenuHelpHint},
        {&TForm::MenuLang, SlotMenuLangCaption, SlotMenuLangHint},
        {&TForm::MenuExport, SlotMenuExportCaption, SlotMenuExportHint},
        {&TForm::MenuImport, SlotMenuImportCaption, SlotMenuImportHint},
    };
    return menus;
}

void RelabelMainActions(TMainFormStore& form)
{
    auto relabel = [](QAction* act, TTextSlot caption, TTextSlot hint) {
        act->setText(ToQ(TextTable[caption]));
        act->setStatusTip(ToQ(TextTable[hint]));
        act->setToolTip(ToQ(TextTable[hint]));
    };
    for (const TMainAction& row : MainActions()) relabel(form.*row.Member, row.Caption, row.Hint);
    for (const TMainMenu& row : MainMenus()) relabel((form.*row.Member)->menuAction(), row.Caption, row.Hint);
}

} // namespace tv
