// The folder dialog: its modes, texts, the enabling of OK and its answer.

#include "UFileSrv.h"
#include "UFolderBrowser.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

using namespace tv;

namespace {

// Runs BrowseForFolder and, once its dialog is up, the given steps on it.
bool Browse(std::string& folder, int mode, const std::function<void(TFolderBrowser&)>& steps,
            const std::string& caption = {}, const std::string& ok = {}, const std::string& cancel = {},
            QWidget* centreOn = nullptr)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<TFolderBrowser*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        ran = true;
        steps(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    const bool answer = BrowseForFolder(folder, mode, caption, "Choose the folder", ok, cancel, centreOn);
    if (!ran) qWarning("the dialog did not come up");
    return answer;
}

} // namespace

class TestFileSrv : public QObject {
    Q_OBJECT

private slots:
    void flagsOfModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<unsigned>("flags");
        QTest::newRow("0") << 0 << 1u;
        QTest::newRow("1") << 1 << 5u;
        QTest::newRow("2") << 2 << 17u;
        QTest::newRow("3") << 3 << 65u;
        QTest::newRow("4") << 4 << 0u;
        QTest::newRow("-1") << -1 << 0u;
    }

    void flagsOfModes()
    {
        QFETCH(int, mode);
        QFETCH(unsigned, flags);
        QCOMPARE(BrowseFlags(mode), flags);
    }

    void existingFolderIsChosen()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).canonicalPath();
        std::string folder = path.toStdString();
        bool okEnabled = false;
        QString status;
        const bool answer = Browse(folder, 1, [&](TFolderBrowser& dialog) {
            okEnabled = dialog.OkButton()->isEnabled();
            status = dialog.StatusText();
            dialog.OkButton()->click();
        });
        QVERIFY(okEnabled);
        QCOMPARE(status, path);
        QVERIFY(answer);
        QCOMPARE(QString::fromStdString(folder), path);
    }

    void okFollowsTheSelection()
    {
        QTemporaryDir dir;
        const QString existing = QDir(dir.path()).canonicalPath();
        const QString gone = existing + "/gone";
        QVERIFY(QDir().mkdir(gone));
        std::string folder = "/no/such/folder/here";
        QList<bool> enabled;
        QStringList shown;
        const bool answer = Browse(folder, 1, [&](TFolderBrowser& dialog) {
            auto look = [&] {
                enabled << dialog.OkButton()->isEnabled();
                shown << dialog.StatusText();
            };
            look();  // a missing start folder: the computer itself
            dialog.SetSelection(existing);
            look();
            dialog.SetSelection(QString());
            look();
            dialog.SetSelection(gone);
            look();
            QDir().rmdir(gone);
            dialog.SetSelection(existing);
            dialog.SetSelection(gone);
            look();
            dialog.CancelButton()->click();
        });
        QCOMPARE(enabled, (QList<bool>{false, true, false, true, false}));
        QCOMPARE(shown, (QStringList{"", existing, "", gone, ""}));
        QVERIFY(!answer);
        QCOMPARE(folder, std::string("/no/such/folder/here"));
    }

    void folderDeletedWhileOpenAnswersFalse()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).canonicalPath() + "/copy";
        QVERIFY(QDir().mkdir(path));
        std::string folder = path.toStdString();
        bool okEnabled = false;
        const bool answer = Browse(folder, 3, [&](TFolderBrowser& dialog) {
            okEnabled = dialog.OkButton()->isEnabled();
            QDir().rmdir(path);
            dialog.OkButton()->click();
        });
        QVERIFY(okEnabled);
        QVERIFY(!answer);
        QCOMPARE(QString::fromStdString(folder), path);
    }

    void cancelKeepsTheFolder()
    {
        QTemporaryDir dir;
        std::string folder = dir.path().toStdString();
        const std::string before = folder;
        QVERIFY(!Browse(folder, 1, [](TFolderBrowser& dialog) { dialog.CancelButton()->click(); }));
        QCOMPARE(folder, before);
    }

    void pathDisplayOfModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("statusShown");
        QTest::addColumn<bool>("resizable");
        QTest::newRow("0: in place of the title") << 0 << "title" << false << false;
        QTest::newRow("1: status line") << 1 << "status" << true << false;
        QTest::newRow("2: edit box") << 2 << "edit" << false << false;
        QTest::newRow("3: resizable, not shown") << 3 << "status" << false << true;
    }

    void pathDisplayOfModes()
    {
        QFETCH(int, mode);
        QFETCH(QString, where);
        QFETCH(bool, statusShown);
        QFETCH(bool, resizable);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).canonicalPath();
        std::string folder = path.toStdString();
        QString title, status, edit;
        bool hasEdit = false, statusVisible = false, canResize = false;
        Browse(folder, mode, [&](TFolderBrowser& dialog) {
            title = dialog.Title()->text();
            status = dialog.StatusText();
            hasEdit = dialog.EditBox() != nullptr;
            if (hasEdit) edit = dialog.EditBox()->text();
            statusVisible = !dialog.StatusText().isNull() && dialog.findChildren<QLabel*>().size() > 1 &&
                            dialog.findChildren<QLabel*>().at(1)->isVisible();
            canResize = dialog.minimumSize() != dialog.maximumSize();
        });
        QCOMPARE(title, where == "title" ? path : QString("Choose the folder"));
        QCOMPARE(status, where == "status" ? path : QString());
        QCOMPARE(hasEdit, where == "edit");
        if (hasEdit) QCOMPARE(edit, path);
        QCOMPARE(statusVisible, statusShown);
        QCOMPARE(canResize, resizable);
    }

    // The resizable dialog of mode 3 can make a folder in the current one,
    // which it selects; choosing it answers its path.
    void newFolderInTheResizableDialog()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).canonicalPath();
        std::string folder = path.toStdString();
        QStringList made;
        bool others = false;
        for (int mode : {0, 1, 2}) {
            std::string start = folder;
            Browse(start, mode, [&](TFolderBrowser& dialog) { others = others || dialog.NewFolderButton() != nullptr; });
        }
        QVERIFY(!others);
        const bool answer = Browse(folder, 3, [&](TFolderBrowser& dialog) {
            QPushButton* button = dialog.NewFolderButton();
            if (button == nullptr || !button->isEnabled()) return;
            button->click();
            made << dialog.CurrentPath();
            dialog.SetSelection(path);
            button->click();
            made << dialog.CurrentPath();
            QTest::qWait(300);  // the model reads the folder again meanwhile
            made << dialog.CurrentPath();
            dialog.OkButton()->click();
        });
        QCOMPARE(made, (QStringList{path + "/New Folder", path + "/New Folder (2)", path + "/New Folder (2)"}));
        QVERIFY(QFileInfo(made[0]).isDir());
        QVERIFY(QFileInfo(made[1]).isDir());
        QVERIFY(answer);
        QCOMPARE(QString::fromStdString(folder), made[1]);
    }

    // The dialog opens with its starting folder in view, also when the
    // folders above it are many and read only after the dialog came up.
    void startingFolderIsInView()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).canonicalPath();
        for (int i = 0; i < 80; ++i) QVERIFY(QDir(path).mkdir(QString("f%1").arg(i, 2, 10, QChar('0'))));
        const QString start = path + "/f79";
        std::string folder = start.toStdString();
        bool inView = false;
        QString current;
        Browse(folder, 1, [&](TFolderBrowser& dialog) {
            auto* tree = dialog.findChild<QTreeView*>();
            if (tree == nullptr) return;
            const QModelIndex parent = tree->currentIndex().parent();
            const bool loaded = QTest::qWaitFor([&] { return tree->model()->rowCount(parent) == 80; }, 5000);
            QTest::qWait(200);
            inView = loaded && tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()));
            current = dialog.CurrentPath();
        });
        QCOMPARE(current, start);
        QVERIFY(inView);
    }

    void textsAndCentring()
    {
        QWidget owner;
        owner.setGeometry(100, 200, 400, 300);
        std::string folder;
        QString caption, ok, cancel;
        QPoint topLeft;
        QSize size;
        Browse(folder, 1, [&](TFolderBrowser& dialog) {
            caption = dialog.windowTitle();
            ok = dialog.OkButton()->text();
            cancel = dialog.CancelButton()->text();
            topLeft = dialog.frameGeometry().topLeft();
            size = dialog.frameGeometry().size();
        }, "Restore a copy", "Restore", "Back", &owner);
        QCOMPARE(caption, QString("Restore a copy"));
        QCOMPARE(ok, QString("Restore"));
        QCOMPARE(cancel, QString("Back"));
        const QRect r = owner.frameGeometry();
        const QPoint centre((r.left() + r.right() + 1) / 2, (r.top() + r.bottom() + 1) / 2);
        QCOMPARE(topLeft, QPoint(centre.x() - size.width() / 2, centre.y() - size.height() / 2));

        QString defaultOk;
        Browse(folder, 1, [&](TFolderBrowser& dialog) { defaultOk = dialog.OkButton()->text(); });
        QVERIFY(!defaultOk.isEmpty());
        QVERIFY(defaultOk != "Restore");
    }
};

QTEST_MAIN(TestFileSrv)
#include "TestQFileSrv.moc"
