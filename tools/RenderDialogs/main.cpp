// Renders every dialog of the program in Russian, Ukrainian and English into
// PNG files of a folder: the window caption drawn above the client area.

#include "UAboutForm.h"
#include "UFormPass.h"
#include "UFormPassChange.h"
#include "UFileSrv.h"
#include "UFolderBrowser.h"
#include "UFormStat.h"
#include "UDataGrid.h"
#include "UEntryPanel.h"
#include "ULocalDbEdit.h"
#include "UMainForm.h"
#include "UMessages.h"
#include "UMessageBoxForm.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace tv;

namespace {

QString Folder;

// Drawn in the window's own pixels: at a scale factor above 1 the grab and
// the image share its pixel ratio, so the caption and the client keep their
// places.
void Save(QWidget& w, const QString& name)
{
    QCoreApplication::processEvents();
    const QPixmap client = w.grab();
    const qreal ratio = client.devicePixelRatio();
    const QSize size = client.deviceIndependentSize().toSize();
    const int title = 22;
    QImage out((QSizeF(size.width() + 2, size.height() + title + 1) * ratio).toSize(), QImage::Format_RGB32);
    out.setDevicePixelRatio(ratio);
    out.fill(QColor(0x60, 0x60, 0x60));
    QPainter p(&out);
    p.fillRect(1, 1, size.width(), title - 1, QColor(0xDD, 0xE4, 0xEE));
    QFont f = w.font();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    // A caption wider than the title bar ends in an ellipsis, as window managers draw it.
    const QRect caption(6, 1, size.width() - 30, title - 1);
    p.drawText(caption, Qt::AlignVCenter | Qt::AlignLeft,
               QFontMetrics(f).elidedText(w.windowTitle(), Qt::ElideRight, caption.width()));
    p.drawText(QRect(size.width() - 20, 1, 16, title - 1), Qt::AlignCenter, "x");
    p.drawPixmap(1, title, client);
    p.end();
    const QString file = Folder + "/" + name + ".png";
    if (!out.save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

void Show(QWidget& w)
{
    w.show();
    QCoreApplication::processEvents();
    w.update();
    QCoreApplication::processEvents();
}

void RenderBox(TFormMessageBox& box, const QString& name, const std::string& text, const std::string& caption,
               int flags, const std::string& first, const std::string& second)
{
    QTimer::singleShot(50, &box, [&box, name] {
        Save(box, name);
        box.done(1);
    });
    box.ShowMessageBox(text, caption, flags, first, TextTable[SlotCloseMessageHint], second, TextTable[SlotCloseMessageHint]);
}

void RenderFolderDialog(const QString& name, int mode, const std::string& caption, const std::string& title,
                        const std::string& folder)
{
    QTimer::singleShot(300, [name] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            Save(*dialog, name);
            dialog->reject();
        }
    });
    std::string chosen = folder;
    BrowseForFolder(chosen, mode, caption, title, std::string(), std::string(), nullptr);
}

// The main window in every mode of one language, the delete question
// over it included.
void RenderMainWindow(TMainFormStore& w, const QString& suffix)
{
    w.ActSelectEngLang->setChecked(false);
    Show(w);
    w.activateWindow();
    QCoreApplication::processEvents();
    Save(w, "MainForm-browse" + suffix);
    w.ActEdit->trigger();
    Save(w, "MainForm-edit" + suffix);
    w.ActCancel->trigger();
    w.ActInsert->trigger();
    w.Panel->EditName->setText(QString::fromUtf8("\u0426\u0443\u043a\u043e\u0440"));
    Save(w, "MainForm-insert" + suffix);
    w.ActCancel->trigger();
    w.GridStore->setFocus();
    w.GridStore->SetCol(2);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, "B");
    QApplication::sendEvent(w.GridStore, &key);
    Save(w, "MainForm-search" + suffix);
    w.GridStore->CancelSearch();
    w.ActAdd->trigger();
    Save(w, "MainForm-add" + suffix);
    w.ActCancel->trigger();
    w.ActDed->trigger();
    Save(w, "MainForm-deduct" + suffix);
    w.ActCancel->trigger();
    QTimer::singleShot(200, &w, [&w, suffix] {
        Save(w, "MainForm-delete" + suffix);
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            Save(*box, "MainForm-delete-question" + suffix);
            box->done(2);
        }
    });
    w.ActDelete->trigger();
    w.MenuFile->popup(w.mapToGlobal(QPoint(0, 20)));
    QCoreApplication::processEvents();
    Save(*w.MenuFile, "MainForm-menu-file" + suffix);
    w.MenuFile->hide();
    w.MenuProduct->popup(w.mapToGlobal(QPoint(40, 20)));
    QCoreApplication::processEvents();
    Save(*w.MenuProduct, "MainForm-menu-product" + suffix);
    w.MenuProduct->hide();
}

} // namespace

int main(int argc, char** argv)
{
    // Settings, registry and data all live in a temporary folder.
    QTemporaryDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: render_dialogs <folder>\n");
        return 2;
    }
    Folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(Folder);

    SetProgramFolder(dir.path().toStdString());
    TProgOptions options(dir.path().toStdString() + "/tarnovell.cfg", "\\SOFTWARE\\TarnovellRenderDialogs");
    options.SetTestDate(Now());
    options.SetLastVersion("99.0");
    TPass pass(&options);
    pass.SetPassword("x");
    TStore store;
    store.Open(true, "Data");
    store.InsertGoods("1", "A", "12.50", "1'234.50", "17", "");
    store.InsertGoods("2", "B", "3.10", "31'000.00", "420", "");

    const struct {
        const char* code;
        void (*load)();
    } languages[] = {{"rus", LoadRussianTexts}, {"ukr", LoadUkrainianTexts}, {"eng", LoadEnglishTexts}};

    for (const auto& lang : languages) {
        lang.load();
        const QString suffix = QString("-") + lang.code;

        TFormMessageBox box;
        RenderBox(box, "MessageBox-one" + suffix, TextTable[SlotBackupDone] + "\r\n" + FitToMessageBox(
                      "/home/operator/Documents/Warehouse backups/2026-12-10/evening copy/", TMessageFit::PathLines),
                  TextTable[SlotBackupCaption], MB_ONEBUTTON | MB_ICONINFORMATION, "OK", "");
        RenderBox(box, "MessageBox-two" + suffix, TextTable[SlotRemoveQuestionStart] + "Apple Golden Delicious 1 kg" + TextTable[SlotRemoveQuestionEnd],
                  TextTable[SlotRemoveCaption], MB_TWOBUTTONS | MB_ICONQUESTION, TextTable[SlotYes], TextTable[SlotNo]);
        RenderBox(box, "MessageBox-stop" + suffix, TextTable[SlotTotalTooHigh], TextTable[SlotSumCalculation], MB_ONEBUTTON | MB_ICONSTOP, "OK", "");
        RenderBox(box, "MessageBox-exclamation" + suffix, TextTable[SlotRestoreCopyFailed] + "\r\n" + FitToMessageBox(
                      "/media/operator/USB STICK/Warehouse backups/2026-12-10/", TMessageFit::PathLines),
                  TextTable[SlotRestoreCaption], MB_ONEBUTTON | MB_ICONEXCLAMATION, "OK", "");
        RenderBox(box, "MessageBox-layout-question" + suffix, TextTable[SlotLayoutInstallQuestion], TextTable[SlotLayoutInstallCaption],
                  MB_TWOBUTTONS | MB_ICONQUESTION, TextTable[SlotYes], TextTable[SlotNo]);

        {
            TFormPass form(&pass);
            Show(form);
            form.EditPass->setText("secret");
            form.BtnOK->click();
            Save(form, "FormPass" + suffix);
        }
        {
            TFormPassChange form(&pass);
            Show(form);
            form.EditPass->setText("x");
            form.EditNewPass->setText("a");
            form.EditNewPassConfirm->setText("b");
            form.BtnOK->click();
            Save(form, "FormPassChange" + suffix);
        }
        {
            TFormAbout form(&options);
            Show(form);
            Save(form, "FormAbout" + suffix);
        }
        RenderFolderDialog("FolderSave" + suffix, 3, TextTable[SlotBackupCaption], TextTable[SlotChooseBackupFolder], dir.path().toStdString());
        RenderFolderDialog("FolderRestore" + suffix, 1, TextTable[SlotRestoreCaption], TextTable[SlotChooseRestoreFolder], dir.path().toStdString());
        {
            TFormStat form(&store);
            form.Refresh();
            Show(form);
            Save(form, "FormStat" + suffix);
        }
    }
    store.Close();

    Store.Open(true, "Data");
    Store.InsertGoods("000017", QString::fromUtf8("\u041c\u043e\u043b\u043e\u043a\u043e 2,5% 1 \u043b").toStdString(), "38.90", "120.00", "12", QString::fromUtf8("\u041f\u0440\u0438\u0445\u0456\u0434").toStdString());
    Store.AddGoods("14.50", "2", "");
    Store.InsertGoods("000021", "Apple Golden Delicious", "1'234.56", "31'000.00", "420", "");
    {
        TFormMessageBox box;
        TMessageBoxMessages messages(&box);
        SetMessages(&messages);
        LoadEnglishTexts();
        TMainFormStore w;
        w.setWindowTitle("Tarnovell - " + dir.path());
        for (const auto& lang : languages) {
            // Where the keyboard lacks the language's layout the window asks to install it.
            QTimer::singleShot(300, &w, [suffix = QString("-") + lang.code] {
                auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (box && box->windowTitle() == QString::fromStdString(TextTable[SlotLayoutInstallCaption])) {
                    Save(*box, "MainForm-layout-question" + suffix);
                    box->done(2);
                }
            });
            w.SelectLanguage(lang.load == LoadRussianTexts     ? langRussian
                             : lang.load == LoadUkrainianTexts ? langUkrainian
                                                               : langEnglish);
            RenderMainWindow(w, QString("-") + lang.code);
        }
        SetMessages(nullptr);
    }
    Store.Close();
    SetProgramFolder(std::string());
    return 0;
}
