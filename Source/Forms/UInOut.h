#pragma once
// Exports, imports and printed reports: each is a TInOut that knows its menu
// caption and hint in the three languages and runs itself. TInOutManager
// makes an action and a menu item of each, keeps their captions in the
// current language, enables them with the main window's mode and wraps every
// run between the window's begin-work and end-work.

#include "UEximText.h"
#include "UStoreData.h"

#include <QObject>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace tv {

class TPrintManager;

// What a box shows beside its fixed text as the cause of a failure: the
// file and the system's words for a failed file operation, the engine's own
// message for any other failure of the system, nothing for the rest.
std::string FailureReason(const std::exception& e);

// Language index: 0 Russian, 1 Ukrainian, 2 English.
class TInOut {
public:
    virtual ~TInOut() = default;

    virtual std::string GetCaption() const = 0;
    virtual std::string GetHint() const = 0;
    uint8_t GetLanguage() const { return FLanguage; }
    void SetLanguage(uint8_t language) { FLanguage = language; }
    virtual void Execute() = 0;

protected:
    TPrintManager& PrintManager();
    int32_t GoodsCount();
    // The totals as texts; after an overflow all four are empty and the
    // user has been told.
    void GetTotals(std::string& packages, std::string& quantity, std::string& value,
                   std::string& count);

private:
    uint8_t FLanguage = 0;
};

class TExport : public TInOut {};

class TImport : public TInOut {};

class TReport : public TExport {};

class TInOutManager : public QObject {
    Q_OBJECT

public:
    // Makes an action per item, owned by actionOwner, named "ActInOut" and
    // the index, of category "Report" (property "category"), and appends it
    // to the report menu for a TReport, else the export menu for a TExport,
    // else the import menu. The export and import menus are enabled when
    // they hold an item. The items are not owned, nor is the manager owned
    // by actionOwner: whoever makes it frees it, and it frees the actions.
    TInOutManager(QObject* actionOwner, QMenu* exportMenu, QMenu* importMenu, QMenu* reportMenu,
                  std::vector<TInOut*> items, std::function<void()> beginWork,
                  std::function<void()> endWork);
    ~TInOutManager() override;

    // Sets every item's language and re-captions the actions.
    void SetLanguage(int language);
    // The actions and the export and import menus; the report menu is not
    // touched.
    void DisableAll();
    void EnableAll();
    const std::vector<QAction*>& Actions() const { return FActions; }

    // Runs item i as its action does: the positions of both tables are kept,
    // begin-work runs, an import is preceded by a safety copy of the data
    // into Hist/0000-00-00, and end-work runs in every case. A report's
    // error is shown in the print box; any other error is raised.
    void ExecuteAction(int i);

    // Where an error of an action's run goes (the application's handler);
    // without one it is raised to the event loop.
    void SetErrorHandler(std::function<void(std::exception_ptr)> handler)
    {
        FErrorHandler = std::move(handler);
    }

private:
    void SetAllEnabled(bool enabled);

    QMenu* FExportMenu;
    QMenu* FImportMenu;
    std::vector<TInOut*> FItems;
    std::vector<QAction*> FActions;
    std::function<void()> FBeginWork;
    std::function<void()> FEndWork;
    std::function<void(std::exception_ptr)> FErrorHandler;
};

} // namespace tv
