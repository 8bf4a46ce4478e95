#include "UFileSrv.h"

#include "UFolderBrowser.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace tv {

namespace {

bool FolderExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

void CentreOn(QWidget* dialog, QWidget* centreOn)
{
    const QRect r = centreOn->frameGeometry();
    const int cx = (r.left() + r.right() + 1) / 2;
    const int cy = (r.top() + r.bottom() + 1) / 2;
    const QSize size = dialog->frameGeometry().size();
    dialog->move(cx - size.width() / 2, cy - size.height() / 2);
}

} // namespace

unsigned BrowseFlags(int mode)
{
    switch (mode) {
    case 0:
        return BIF_RETURNONLYFSDIRS;
    case 1:
        return BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    case 2:
        return BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
    case 3:
        return BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    default:
        return 0;
    }
}

bool BrowseForFolder(std::string& folder, int mode, const std::string& caption, const std::string& title,
                     const std::string& okText, const std::string& cancelText, QWidget* centreOn)
{
    TFolderBrowser dialog(QApplication::activeWindow(), BrowseFlags(mode));
    dialog.Title()->setText(QString::fromStdString(title));
    if (!caption.empty()) dialog.setWindowTitle(QString::fromStdString(caption));
    if (!okText.empty()) dialog.OkButton()->setText(QString::fromStdString(okText));
    if (!cancelText.empty()) dialog.CancelButton()->setText(QString::fromStdString(cancelText));

    // The control that shows the chosen path; none shows it as status text.
    QLabel* titlePath = mode == 0 ? dialog.Title() : nullptr;
    QLineEdit* editPath = mode == 2 ? dialog.EditBox() : nullptr;
    auto showPath = [&](const QString& path) {
        if (titlePath != nullptr)
            titlePath->setText(path);
        else if (editPath != nullptr)
            editPath->setText(path);
        else
            dialog.SetStatusText(path);
    };
    dialog.OnSelectionChanged = [&] {
        const QString path = dialog.CurrentPath();
        if (FolderExists(path)) {
            showPath(path);
        } else {
            showPath(QString());
            dialog.OkButton()->setEnabled(false);
        }
    };
    dialog.SetSelection(QString::fromStdString(folder));
    if (centreOn != nullptr) {
        dialog.winId();  // the frame is known once the window exists
        CentreOn(&dialog, centreOn);
    }

    if (dialog.exec() != QDialog::Accepted) return false;
    const QString chosen = dialog.ChosenPath();
    if (!FolderExists(chosen)) return false;
    folder = chosen.toStdString();
    return true;
}

} // namespace tv
