#include "UFolderBrowser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tv {

TFolderBrowser::TFolderBrowser(QWidget* owner, unsigned flags)
    : QDialog(owner), FFlags(flags), FTitle(new QLabel(this)), FStatus(new QLabel(this)),
      FTree(new QTreeView(this)), FModel(new QFileSystemModel(this)),
      FButtons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    auto* layout = new QVBoxLayout(this);
    FTitle->setWordWrap(true);
    layout->addWidget(FTitle);
    layout->addWidget(FStatus);
    FStatus->setVisible((flags & BIF_STATUSTEXT) != 0 && (flags & BIF_NEWDIALOGSTYLE) == 0);
    FModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    FModel->setRootPath(QString());
    FTree->setModel(FModel);
    for (int column = 1; column < FModel->columnCount(); ++column) FTree->hideColumn(column);
    FTree->header()->hide();
    layout->addWidget(FTree, 1);
    if ((flags & BIF_EDITBOX) != 0) {
        FEditBox = new QLineEdit(this);
        FEditBox->setReadOnly(true);
        layout->addWidget(FEditBox);
    }
    layout->addWidget(FButtons);
    connect(FButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(FButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { SelectionChanged(); });
    resize(360, 420);
    if ((flags & BIF_NEWDIALOGSTYLE) != 0)
        setSizeGripEnabled(true);
    else
        setFixedSize(size());
    SelectionChanged();
}

void TFolderBrowser::SetSelection(const QString& folder)
{
    const QModelIndex index = folder.isEmpty() ? QModelIndex() : FModel->index(QDir::cleanPath(folder));
    if (index.isValid()) {
        FTree->setCurrentIndex(index);
        FTree->scrollTo(index);
    } else {
        FTree->selectionModel()->clearCurrentIndex();
        FTree->clearSelection();
    }
    SelectionChanged();
}

QString TFolderBrowser::CurrentPath() const
{
    const QModelIndex index = FTree->currentIndex();
    return index.isValid() ? FModel->filePath(index) : QString();
}

void TFolderBrowser::SetStatusText(const QString& text) { FStatus->setText(text); }
QString TFolderBrowser::StatusText() const { return FStatus->text(); }

QPushButton* TFolderBrowser::OkButton() const { return FButtons->button(QDialogButtonBox::Ok); }
QPushButton* TFolderBrowser::CancelButton() const { return FButtons->button(QDialogButtonBox::Cancel); }

void TFolderBrowser::SelectionChanged()
{
    OkButton()->setEnabled((FFlags & BIF_RETURNONLYFSDIRS) == 0 || !CurrentPath().isEmpty());
    if (OnSelectionChanged) OnSelectionChanged();
}

} // namespace tv
