// Renders the wizard's pages in English, Russian and Ukrainian, with an
// installation that succeeds, one that fails and the overwrite question,
// into PNG files of a folder. HOME and the XDG folders point into a
// temporary folder, so nothing of the real home is touched.

#include "UConfirm.h"
#include "USetupMainForm.h"
#include "USetupTextConst.h"
#include "../../tests/tvSetup/WhenShown.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
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
    const QString file = Folder + "/" + name + ".png";
    if (!w.grab().save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    std::printf("%s: %s\n", qPrintable(name), qPrintable(w.windowTitle()));
}

// Makes the wizard the current one, in the language, for the folder.
void Open(TMainFormSetup& form, TConfirmForm& confirm, int lang, const QString& folder)
{
    MainFormSetup = &form;
    ConfirmForm = &confirm;
    form.show();
    form.ComboBoxLang->setCurrentIndex(lang);
    form.SetLanguage(lang);
    form.EditPath->setText(folder);
}

void PointHomeAt(const QString& home)
{
    QDir().mkpath(home);
    ::setenv("HOME", qPrintable(home), 1);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        ::unsetenv(name);
    ::setenv("XDG_CONFIG_HOME", qPrintable(home + "/.config"), 1);
    ::setenv("XDG_DATA_HOME", qPrintable(home + "/.local/share"), 1);
    QDir().mkpath(home + "/run");
    QFile::setPermissions(home + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ::setenv("XDG_RUNTIME_DIR", qPrintable(home + "/run"), 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: setup_shots <folder>\n");
        return 2;
    }
    QTemporaryDir temp;
    PointHomeAt(temp.path() + "/home");
    QApplication app(argc, argv);
    Folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(Folder);
    const char* codes[] = {"eng", "rus", "ukr"};
    for (int lang = 0; lang < 3; ++lang) {
        const QString tag = codes[lang];
        const QString folder = temp.path() + "/home/Tarnovell-" + tag;
        TMainFormSetup form;
        TConfirmForm confirm(&form);
        Open(form, confirm, lang, folder);
        Save(form, tag + "-1-language");
        form.BtnNext->click();
        Save(form, tag + "-2-licence");
        form.BtnNext->click();
        Save(form, tag + "-3-folder");
        form.BtnNext->click();
        Save(form, tag + "-4-summary");
        // The menu and desktop entries of the language before are there.
        if (lang > 0)
            WhenShown([&](QWidget*) { confirm.BtnYesToAll->click(); });
        form.BtnNext->click();
        Save(form, tag + "-5-installed");

        // Again into the same folder: the overwrite question.
        TMainFormSetup again;
        TConfirmForm confirmAgain(&again);
        Open(again, confirmAgain, lang, folder);
        for (int page = 1; page < 4; ++page)
            again.BtnNext->click();
        WhenShown([&](QWidget*) {
            Save(confirmAgain, tag + "-6-overwrite");
            confirmAgain.BtnNoToAll->click();
        });
        again.BtnNext->click();

        // A folder whose parent is missing: the failure page.
        again.BtnBack->click();
        again.EditPath->setText(temp.path() + "/missing/parent/Tarnovell");
        again.BtnNext->click();
        again.BtnNext->click();
        Save(again, tag + "-7-failed");
        MainFormSetup = nullptr;
        ConfirmForm = nullptr;
    }
    return 0;
}
