#include "UInOut.h"

#include "UException.h"
#include "UFile.h"
#include "UFormStat.h"
#include "UMessages.h"
#include "UPrint.h"
#include "UStoreData.h"
#include "UStoreMessages.h"
#include "UTextConst.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace tv {

namespace {

// The safety copy before an import. The user is told when it cannot be
// made, and that the import did not run.
bool MakeSafetyCopy(const TInOut& item)
{
    const std::string folder = TStore::SafetyCopyFolder();
    bool saved = false;
    std::string reason;
    try {
        saved = Store.SaveSafetyCopy();
    } catch (const Exception& e) {
        saved = false;
        reason = FailureReason(e);
    }
    if (!saved)
        ShowOneButton(TextTable[SlotBackupCopyFailed] + "\r\n" + folder +
                          (reason.empty() ? "" : "\r\n" + reason) + "\r\n" +
                          CsvImportTexts[item.GetLanguage() % LanguageCount][ciNotRun],
                      TextTable[SlotBackupCaption], MB_ICONEXCLAMATION);
    return saved;
}

// Goes back to a remembered record, when the table still has it.
void RestoreRecNo(TTable& table, int32_t recNo)
{
    if (table.GetState() != tsBrowse || table.RecordCount() == 0)
        return;
    table.SetRecNo(std::min(recNo, table.RecordCount() - 1));
}

// The item's caption and hint in its language on its action.
void Caption(QAction* action, const TInOut& item)
{
    action->setText(QString::fromStdString(item.GetCaption()));
    action->setToolTip(QString::fromStdString(item.GetHint()));
    action->setStatusTip(action->toolTip());
}

int32_t CurrentRecNo(TTable& table)
{
    return table.GetState() == tsClosed ? 0 : table.GetRecNo();
}

} // namespace

std::string FailureReason(const std::exception& e)
{
    if (const auto* file = dynamic_cast<const EFileError*>(&e))
        return file->Reason().empty() ? file->Message() : file->Path() + ": " + file->Reason();
    if (const auto* own = dynamic_cast<const Exception*>(&e))
        return own->Message();
    return {};
}

TPrintManager& TInOut::PrintManager() { return tv::PrintManager(); }

int32_t TInOut::GoodsCount() { return Store.Goods().RecordCount(); }

void TInOut::GetTotals(std::string& packages, std::string& quantity, std::string& value,
                       std::string& count)
{
    GetShownTotals(Store, packages, quantity, value, count);
}

TInOutManager::TInOutManager(QObject* actionOwner, QMenu* exportMenu, QMenu* importMenu,
                             QMenu* reportMenu, std::vector<TInOut*> items,
                             std::function<void()> beginWork, std::function<void()> endWork)
    : FExportMenu(exportMenu), FImportMenu(importMenu),
      FItems(std::move(items)), FBeginWork(std::move(beginWork)), FEndWork(std::move(endWork))
{
    for (size_t i = 0; i < FItems.size(); ++i) {
        TInOut* item = FItems[i];
        auto* action = new QAction(actionOwner);
        action->setObjectName(QStringLiteral("ActInOut%1").arg(i));
        action->setProperty("category", QStringLiteral("Report"));
        Caption(action, *item);
        action->setData(int(i));
        connect(action, &QAction::triggered, this, [this, i] {
            try {
                ExecuteAction(int(i));
            } catch (...) {
                if (!FErrorHandler)
                    throw;
                FErrorHandler(std::current_exception());
            }
        });
        FActions.push_back(action);
        QMenu* menu = dynamic_cast<TReport*>(item)   ? reportMenu
                      : dynamic_cast<TExport*>(item) ? exportMenu
                      : dynamic_cast<TImport*>(item) ? importMenu
                                                     : nullptr;
        if (menu)
            menu->addAction(action);
    }
    for (QMenu* menu : {FExportMenu, FImportMenu})
        if (menu)
            menu->menuAction()->setEnabled(!menu->actions().isEmpty());
}

TInOutManager::~TInOutManager()
{
    for (QAction* action : FActions)
        delete action;
    FActions.clear();
    FItems.clear();
}

void TInOutManager::SetLanguage(int language)
{
    for (size_t i = 0; i < FItems.size(); ++i) {
        FItems[i]->SetLanguage(static_cast<uint8_t>(language));
        Caption(FActions[i], *FItems[i]);
    }
}

void TInOutManager::DisableAll() { SetAllEnabled(false); }

void TInOutManager::EnableAll() { SetAllEnabled(true); }

void TInOutManager::SetAllEnabled(bool enabled)
{
    for (QAction* action : FActions)
        action->setEnabled(enabled);
    for (QMenu* menu : {FExportMenu, FImportMenu})
        if (menu)
            menu->menuAction()->setEnabled(enabled);
}

void TInOutManager::ExecuteAction(int i)
{
    TInOut* item = FItems.at(static_cast<size_t>(i));
    const int32_t goodsRec = CurrentRecNo(Store.Goods());
    const int32_t movesRec = CurrentRecNo(Store.Moves());
    if (FBeginWork)
        FBeginWork();
    std::exception_ptr error;
    try {
        if (!dynamic_cast<TImport*>(item) || MakeSafetyCopy(*item))
            item->Execute();
    } catch (...) {
        error = std::current_exception();
    }
    try {
        RestoreRecNo(Store.Goods(), goodsRec);
        RestoreRecNo(Store.Moves(), movesRec);
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    if (FEndWork)
        FEndWork();
    if (!error)
        return;
    if (dynamic_cast<TReport*>(item)) {
        PrintManager().AbortReport();
        try {
            std::rethrow_exception(error);
        } catch (const Exception& e) {
            ShowOneButton(e.Message(), TextTable[SlotPrintCaption], MB_ICONINFORMATION,
                          TextTable[SlotClosePrintMessageHint]);
            return;
        } catch (...) {
        }
    }
    std::rethrow_exception(error);
}

} // namespace tv
