#pragma once
// The folder-browse dialog: a tree of the computer's folders with a title
// above it, an optional status line or edit box, and OK and Cancel.

#include <QDialog>
#include <QString>

#include <functional>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace tv {

// Flags of the dialog.
constexpr unsigned BIF_RETURNONLYFSDIRS = 0x0001;  // OK only for file-system folders
constexpr unsigned BIF_STATUSTEXT = 0x0004;        // a status line under the title
constexpr unsigned BIF_EDITBOX = 0x0010;           // an edit box under the tree
constexpr unsigned BIF_NEWDIALOGSTYLE = 0x0040;    // resizable, a folder can be made; no status line

class TFolderBrowser : public QDialog {
public:
    TFolderBrowser(QWidget* owner, unsigned flags);

    // Moves the current item to the folder and keeps it in view while the
    // folders around it are read; an empty path (or one that is not in the
    // tree) selects the computer itself, which has no path.
    void SetSelection(const QString& folder);
    // The file-system path of the current item, empty for the computer.
    QString CurrentPath() const;
    // CurrentPath() at the moment the user chose OK; empty before.
    QString ChosenPath() const { return FChosenPath; }

    // Shown by the dialog only with BIF_STATUSTEXT (and not BIF_NEWDIALOGSTYLE).
    void SetStatusText(const QString& text);
    QString StatusText() const;

    QLabel* Title() const { return FTitle; }
    QLineEdit* EditBox() const { return FEditBox; }  // null without BIF_EDITBOX
    QPushButton* OkButton() const;
    QPushButton* CancelButton() const;
    // Makes a folder in the current one and selects it for renaming (F2
    // renames it again); null without BIF_NEWDIALOGSTYLE.
    QPushButton* NewFolderButton() const { return FNewFolder; }

    // Called after each change of the current item, once the dialog has
    // enabled OK for it (for a file-system folder, or any item without
    // BIF_RETURNONLYFSDIRS).
    std::function<void()> OnSelectionChanged;

protected:
    void showEvent(QShowEvent* event) override;
    void accept() override;
    // Input to the tree ends the keeping of the current item in view and
    // of a folder just made as current.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SelectionChanged();
    void MakeNewFolder();

    unsigned FFlags;
    QLabel* FTitle;
    QLabel* FStatus;
    QLineEdit* FEditBox = nullptr;
    QTreeView* FTree;
    QFileSystemModel* FModel;
    QDialogButtonBox* FButtons;
    QPushButton* FNewFolder = nullptr;
    QString FMadePath;
    bool FKeepInView = false;
    QString FChosenPath;
};

} // namespace tv
