// Renders every dialog of the program in Russian, Ukrainian and English into
// PNG files of a folder: the window caption drawn above the client area.

#include "UAboutForm.h"
#include "UFormPass.h"
#include "UFormPassChange.h"
#include "UFileSrv.h"
#include "UFolderBrowser.h"
#include "UFormStat.h"
#include "UMessageBoxForm.h"
#include "UProgFolder.h"
#include "UProgOptions.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <QApplication>
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

void Save(QWidget& w, const QString& name)
{
    QCoreApplication::processEvents();
    const QPixmap client = w.grab();
    const int title = 22;
    QImage out(client.width() + 2, client.height() + title + 1, QImage::Format_RGB32);
    out.fill(QColor(0x60, 0x60, 0x60));
    QPainter p(&out);
    p.fillRect(1, 1, client.width(), title - 1, QColor(0xDD, 0xE4, 0xEE));
    QFont f = w.font();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    // A caption wider than the title bar ends in an ellipsis, as window managers draw it.
    const QRect caption(6, 1, client.width() - 30, title - 1);
    p.drawText(caption, Qt::AlignVCenter | Qt::AlignLeft,
               QFontMetrics(f).elidedText(w.windowTitle(), Qt::ElideRight, caption.width()));
    p.drawText(QRect(client.width() - 20, 1, 16, title - 1), Qt::AlignCenter, "x");
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
        RenderBox(box, "MessageBox-one" + suffix, TextTable[SlotBackupDone] + "\r\n" + WrapToMessageBox(
                      "/home/operator/Documents/Warehouse backups/2026-12-10/evening copy/"),
                  TextTable[SlotBackupCaption], MB_ONEBUTTON | MB_ICONINFORMATION, "OK", "");
        RenderBox(box, "MessageBox-two" + suffix, TextTable[SlotRemoveQuestionStart] + "Apple Golden Delicious 1 kg" + TextTable[SlotRemoveQuestionEnd],
                  TextTable[SlotRemoveCaption], MB_TWOBUTTONS | MB_ICONQUESTION, TextTable[SlotYes], TextTable[SlotNo]);
        RenderBox(box, "MessageBox-stop" + suffix, TextTable[SlotTotalTooHigh], TextTable[SlotSumCalculation], MB_ONEBUTTON | MB_ICONSTOP, "OK", "");
        RenderBox(box, "MessageBox-exclamation" + suffix, TextTable[SlotLayoutInstallQuestion], TextTable[SlotLayoutInstallCaption],
                  MB_TWOBUTTONS | MB_ICONEXCLAMATION, TextTable[SlotYes], TextTable[SlotNo]);

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
    SetProgramFolder(std::string());
    return 0;
}
