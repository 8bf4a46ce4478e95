#include "UNamSelDir.h"

#include "UException.h"
#include "UFolderBrowser.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tv {

bool BrowseNamedDir(const std::string& defaultName, std::string& folder, const std::string& caption,
                    const std::string& cancelText, const std::string& okText, const std::string& title)
{
    TV_ASSERT(defaultName == QString::fromStdString(defaultName).trimmed().toStdString(),
              "Not Trimmed Default Direcdtory Name");
    TV_ASSERT(!defaultName.empty(), "Default Direcdtory Name Is Empty");
    TFolderBrowser dialog(QApplication::activeWindow(), BIF_RETURNONLYFSDIRS | BIF_EDITBOX);
    QLineEdit* edit = dialog.EditBox();
    edit->setReadOnly(false);
    dialog.Title()->setText(QString::fromStdString(title));
    if (!caption.empty())
        dialog.setWindowTitle(QString::fromStdString(caption));
    if (!okText.empty())
        dialog.OkButton()->setText(QString::fromStdString(okText));
    if (!cancelText.empty())
        dialog.CancelButton()->setText(QString::fromStdString(cancelText));
    dialog.OnSelectionChanged = [&] {
        const QString path = dialog.CurrentPath();
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            edit->setText(path + (path.endsWith('/') ? "" : "/") + QString::fromStdString(defaultName));
        } else {
            edit->clear();
            dialog.OkButton()->setEnabled(false);
        }
    };
    dialog.SetSelection(QString::fromStdString(folder));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString typed = edit->text();
    folder = (typed.isEmpty() ? dialog.ChosenPath() : typed).toStdString();
    return true;
}

} // namespace tv
