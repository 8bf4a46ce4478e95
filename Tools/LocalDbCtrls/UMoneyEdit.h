#pragma once
// A line edit for a money amount or a quantity with two decimals, whose
// text always keeps the money shape (1'234'567.89). The editing rules are
// those of TMoneyEditLogic; this class feeds it keys, clicks, cut, paste
// and clear, and shows its result.

#include "ULocalDbEdit.h"
#include "UMoneyEditLogic.h"

class QMenu;

namespace tv {

class TMoneyEdit : public TLocalDbEdit {
    Q_OBJECT
public:
    // The text starts as "0.00", right-aligned; Owner becomes the parent.
    explicit TMoneyEdit(QWidget* Owner = nullptr);

    // The context menu: cut, copy, paste, delete and select all, all
    // through the money rules. There is no undo. The caller owns the menu.
    QMenu* CreateMenu();

signals:
    // The owner's change event: fires after every change of the text, also
    // after the regrouping, when text() is final. textChanged may deliver
    // a text the regrouping has already replaced.
    void OnChange();

public slots:
    // Copies the selection to the clipboard and deletes it keeping the
    // shape; nothing when read-only.
    void CutSelection();
    // Inserts the clipboard text when it fits; nothing when read-only.
    void PasteText();
    // Deletes the selection keeping the shape; nothing when read-only.
    void ClearSelection();

    // The line edit's slots, kept to the shape. clear() gives "0.00".
    void cut() { CutSelection(); }
    void paste() { PasteText(); }
    void clear();

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    TMoneyEditLogic State() const;
    void Apply(const TMoneyEditLogic& State);
    void Change();
    void CorrectCaret();
    // The line edit's own key handling, with any change of the text undone.
    void BaseKeyPress(QKeyEvent* Event);

    bool FRegrouping = false;
    bool FGuarding = false;
};

} // namespace tv
