// The setup's texts name its buttons as the buttons read, and the Ukrainian
// texts of the program, the setup and the uninstaller use one word for one
// thing: a folder is "тека" everywhere, as in Qt's own dialogs.

#include "UEximText.h"
#include "ULangTexts.h"
#include "USetupTextConst.h"
#include "UUninstText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace tv;

namespace {

std::vector<const std::string*> EntriesOf(const TSetupText& t)
{
    return {&t.Caption, &t.Version, &t.Descript, &t.LangPrompt, &t.LicensePrompt, &t.LicenseText,
            &t.BtnAgree, &t.PathPrompt, &t.CbDesktop, &t.CbMenu, &t.CbExec, &t.BtnNext, &t.BtnBack,
            &t.BtnCancel, &t.BtnBrowse, &t.BtnInstall, &t.BtnExit, &t.BrowseCaption, &t.ProgressCaption,
            &t.SummaryCaption, &t.HintAgree, &t.HintNext, &t.HintInstall, &t.Installing, &t.InstallOk,
            &t.InstallErrors, &t.NoYes[0], &t.NoYes[1], &t.SumLang, &t.SumPath, &t.StoreName,
            &t.StoreDefault, &t.StepCreateDir, &t.StepError, &t.MsgNoParentDir, &t.MsgDiskSpace,
            &t.MsgPathDrive, &t.StepCopyFiles, &t.StepCreateCfg, &t.StepDiskSpace, &t.StepMenuGroup,
            &t.StepDesktopLink, &t.StepRegistry, &t.StepCloseProgram, &t.MsgCloseProgram,
            &t.ConfirmCaption, &t.FileExists, &t.ReplaceQuestion, &t.BtnYes, &t.BtnYesToAll, &t.BtnNo,
            &t.BtnNoToAll, &t.LinkDescript, &t.UninstLinkDescript, &t.Publisher, &t.UrlInfoAbout,
            &t.UrlUpdateInfo, &t.HelpLink, &t.AppTitle, &t.UninstLinkName, &t.MsgPercentPath,
            &t.MsgLockFailed};
}
// A new setup entry belongs in the list above.
static_assert(sizeof(TSetupText) == 62 * sizeof(std::string));

TEST(SetupText, HintsNameTheButtonsAsTheyRead)
{
    struct Language {
        const char* name;
        const TSetupText& text;
        const char *open, *close;  // the marks around a button's name
    };
    for (const Language& lang : {Language{"English", EngSetupText, "", ""}, Language{"Russian", RusSetupText, "«", "»"},
                                 Language{"Ukrainian", UkrSetupText, "«", "»"}}) {
        SCOPED_TRACE(lang.name);
        const TSetupText& t = lang.text;
        const std::vector<std::pair<const std::string*, const std::string*>> namings = {
            {&t.HintAgree, &t.BtnAgree}, {&t.HintAgree, &t.BtnCancel}, {&t.LicenseText, &t.BtnAgree},
            {&t.HintNext, &t.BtnNext}, {&t.HintInstall, &t.BtnInstall},
        };
        for (const auto& [hint, button] : namings) {
            const std::string named = lang.open + *button + lang.close;
            EXPECT_NE(hint->find(named), std::string::npos) << *hint << "\nshould name: " << named;
        }
    }
}

struct Text {
    std::string where, text;
};

std::vector<Text> UkrainianTexts()
{
    std::vector<Text> all;
    for (const TSlotText& row : UkrTexts.Slots)
        all.push_back({"program slot " + std::to_string(row.Slot), row.Text});
    const std::vector<const std::string*> entries = EntriesOf(UkrSetupText);
    for (std::size_t i = 0; i < entries.size(); ++i)
        all.push_back({"setup entry " + std::to_string(i), *entries[i]});
    const TUninstText& uninst = UninstText(langUkrainian);
    for (const std::string* t : {&uninst.AskRemove, &uninst.AskCfg, &uninst.Done, &uninst.Failed})
        all.push_back({"uninstaller", *t});
    for (const char* t : CsvExportTexts[1]) all.push_back({"CSV export", t});
    for (const char* t : TxtExportTexts[1]) all.push_back({"TXT export", t});
    for (const char* t : CsvImportTexts[1]) all.push_back({"CSV import", t});
    for (const char* t : ListReportTexts[1]) all.push_back({"printed list", t});
    return all;
}

TEST(UkrainianWords, OneWordForOneThing)
{
    struct Rule {
        const char* stem;  // any form of the word
        const char* use;
    };
    const std::vector<Rule> rules = {
        {"папк", "тека"}, {"Папк", "Тека"}, {"ПАПК", "ТЕКА"}, {"папц", "теці"},
        {"Оберіть", "Виберіть"}, {"оберіть", "виберіть"},
        {"за замовчуванням", "типовий"},
    };
    const std::vector<Text> texts = UkrainianTexts();
    EXPECT_GT(texts.size(), 250u);
    for (const Text& t : texts)
        for (const Rule& r : rules)
            EXPECT_EQ(t.text.find(r.stem), std::string::npos) << t.where << " says \"" << r.stem << "\", not \""
                                                               << r.use << "\": " << t.text;
}

} // namespace
