#pragma once
// The main window's actions and menus as tables: a row names the action, its
// keys, the text slots of its caption and hint and the work it starts. The
// window makes its actions from the table and relabels them from it when the
// language changes.

#include "UTextSlots.h"

#include <QKeySequence>
#include <QList>

#include <span>

class QAction;
class QMenu;

namespace tv {

class TMainFormStore;

struct TMainAction {
    QAction* TMainFormStore::*Member;
    const char* Name;
    // The menus show the first key.
    QList<QKeySequence> Keys;
    TTextSlot Caption;
    TTextSlot Hint;
    // Null for an action that starts nothing of its own.
    void (*Work)(TMainFormStore& form);
    bool Checkable;
};

struct TMainMenu {
    QMenu* TMainFormStore::*Member;
    TTextSlot Caption;
    TTextSlot Hint;
};

// The actions in the order they are made, and the menus with a caption.
std::span<const TMainAction> MainActions();
std::span<const TMainMenu> MainMenus();

// Each action's and menu's caption, status tip and tool tip from TextTable.
void RelabelMainActions(TMainFormStore& form);

} // namespace tv
