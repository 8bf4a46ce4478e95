// The uninstaller: asks, closes a running program, removes what the setup
// wrote and says what it did, in the language of the installation.

#include "UCloseProgram.h"
#include "UExeFile.h"
#include "UQtText.h"
#include "USetupTextConst.h"
#include "UUninstText.h"
#include "UUninstall.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

using namespace tv;

namespace {

bool Ask(const QString& text)
{
    QMessageBox box(QMessageBox::Question, ToQ(SetupText.UninstLinkDescript), text);
    QPushButton* yes = box.addButton(ToQ(SetupText.BtnYes), QMessageBox::YesRole);
    box.addButton(ToQ(SetupText.BtnNo), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

void Tell(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, ToQ(SetupText.UninstLinkDescript), text);
    box.addButton("OK", QMessageBox::AcceptRole);
    box.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TUninstallation uninstallation(QFileInfo(QString::fromStdString(ExeFileName())).absolutePath().toStdString());
    QString folder = QString::fromStdString(uninstallation.Folder());
    if (folder.size() > 1)
        folder.chop(1);
    const unsigned lang = uninstallation.InstallLang();
    SetLangText(lang);
    const TUninstText& text = UninstText(lang);

    if (!Ask(ToQ(text.AskRemove).arg(folder)))
        return 0;
    if (!CloseRunningProgram(uninstallation.Folder())) {
        Tell(QMessageBox::Warning, ToQ(SetupText.MsgCloseProgram));
        return 1;
    }
    const bool removeCfg = QFileInfo::exists(QString::fromStdString(uninstallation.CfgFile())) && Ask(ToQ(text.AskCfg));
    const std::vector<std::string> failed = uninstallation.Remove(removeCfg);
    if (failed.empty()) {
        Tell(QMessageBox::Information, ToQ(text.Done));
        return 0;
    }
    QString list = ToQ(text.Failed);
    for (const std::string& file : failed)
        list += "\n" + QString::fromStdString(file);
    Tell(QMessageBox::Warning, list);
    return 1;
}
