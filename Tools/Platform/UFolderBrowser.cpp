#include "UFolderBrowser.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
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
    if ((flags & BIF_NEWDIALOGSTYLE) != 0) {
        // Qt's own wording, so that Qt's translations of the desktop language apply.
        FNewFolder = FButtons->addButton(QCoreApplication::translate("QFileDialog", "New Folder"),
                                         QDialogButtonBox::ActionRole);
        connect(FNewFolder, &QPushButton::clicked, this, [this] { MakeNewFolder(); });
        FModel->setReadOnly(false);
        FTree->setEditTriggers(QAbstractItemView::EditKeyPressed);
        // The model lists a folder made here once more when it reads the
        // folder again; the new folder stays the current item until the
        // user picks another.
        connect(FModel, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
            for (int row = first; row <= last && !FMadePath.isEmpty(); ++row) {
                const QModelIndex index = FModel->index(row, 0, parent);
                if (FModel->filePath(index) != FMadePath || FTree->currentIndex() == index) continue;
                FTree->setCurrentIndex(index);
                FTree->scrollTo(index);
                FTree->edit(index);
            }
        });
    }
    layout->addWidget(FButtons);
    // Folders are read in the background and push the current item away;
    // it is brought back into view until the user works in the tree.
    const auto keepInView = [this] {
        if (FKeepInView)
            QMetaObject::invokeMethod(this, [this] {
                if (FKeepInView) FTree->scrollTo(FTree->currentIndex(), QAbstractItemView::PositionAtCenter);
            }, Qt::QueuedConnection);
    };
    connect(FModel, &QFileSystemModel::directoryLoaded, this, keepInView);
    connect(FModel, &QAbstractItemModel::rowsInserted, this, keepInView);
    connect(FModel, &QAbstractItemModel::layoutChanged, this, keepInView);
    FTree->installEventFilter(this);
    FTree->viewport()->installEventFilter(this);
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
        FTree->scrollTo(index, QAbstractItemView::PositionAtCenter);
        FKeepInView = true;
    } else {
        FTree->selectionModel()->clearCurrentIndex();
        FTree->clearSelection();
    }
    SelectionChanged();
}

void TFolderBrowser::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (FKeepInView) FTree->scrollTo(FTree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void TFolderBrowser::accept()
{
    FChosenPath = CurrentPath();
    QDialog::accept();
}

bool TFolderBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress ||
        event->type() == QEvent::Wheel) {
        FMadePath.clear();
        FKeepInView = false;
    }
    return QDialog::eventFilter(watched, event);
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
    if (FNewFolder != nullptr) FNewFolder->setEnabled(QFileInfo(CurrentPath()).isDir());
    if (OnSelectionChanged) OnSelectionChanged();
}

void TFolderBrowser::MakeNewFolder()
{
    const QModelIndex parent = FTree->currentIndex();
    if (!parent.isValid() || !QFileInfo(FModel->filePath(parent)).isDir()) return;
    const QString base = QCoreApplication::translate("QFileDialog", "New Folder");
    const QDir folder(FModel->filePath(parent));
    QString name = base;
    for (int n = 2; folder.exists(name); ++n) name = QString("%1 (%2)").arg(base).arg(n);
    const QModelIndex made = FModel->mkdir(parent, name);
    if (!made.isValid()) return;
    FMadePath = FModel->filePath(made);
    FTree->setCurrentIndex(made);
    FTree->scrollTo(made);
    FTree->edit(made);
}

} // namespace tv
