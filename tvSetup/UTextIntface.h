#pragma once
// One language's texts of the setup program. Texts are UTF-8; a line break
// inside a text is CR LF.

#include <array>
#include <string>

namespace tv {

struct TSetupText {
    std::string Caption;             // 0  form caption
    std::string Version;             // 1  word before the version number
    std::string Descript;            // 2
    std::string LangPrompt;          // 3
    std::string LicensePrompt;       // 4
    std::string LicenseText;         // 5
    std::string BtnAgree;            // 6
    std::string PathPrompt;          // 7  also the browse dialog's title line
    std::string CbDesktop;           // 8
    std::string CbMenu;              // 9
    std::string CbExec;              // 10
    std::string BtnNext;             // 11
    std::string BtnBack;             // 12
    std::string BtnCancel;           // 13
    std::string BtnBrowse;           // 14
    std::string BtnInstall;          // 15
    std::string BtnExit;             // 16
    std::string BrowseCaption;       // 17
    std::string ProgressCaption;     // 18
    std::string SummaryCaption;      // 19
    std::string HintAgree;           // 20
    std::string HintNext;            // 21
    std::string HintInstall;         // 22
    std::string Installing;          // 23
    std::string InstallOk;           // 24
    std::string InstallErrors;       // 25
    std::array<std::string, 2> NoYes; // 26, 27: [false] "No", [true] "Yes"
    std::string SumLang;             // 28
    std::string SumPath;             // 29
    std::string StoreName;           // 30 not shown
    std::string StoreDefault;        // 31 not shown
    std::string StepCreateDir;       // 32
    std::string StepError;           // 33
    std::string MsgNoParentDir;      // 34
    std::string MsgDiskSpace;        // 35
    std::string MsgPathDrive;        // 36
    std::string StepCopyFiles;       // 37
    std::string StepCreateCfg;       // 38
    std::string StepDiskSpace;       // 39
    std::string StepMenuGroup;       // 40
    std::string StepDesktopLink;     // 41
    std::string StepRegistry;        // 42
    std::string StepCloseProgram;    // 43
    std::string MsgCloseProgram;     // 44
    std::string ConfirmCaption;      // 45
    std::string FileExists;          // 46
    std::string ReplaceQuestion;     // 47
    std::string BtnYes;              // 48
    std::string BtnYesToAll;         // 49
    std::string BtnNo;               // 50
    std::string BtnNoToAll;          // 51
    std::string LinkDescript;        // 52
    std::string UninstLinkDescript;  // 53
    std::string Publisher;           // 54
    std::string UrlInfoAbout;        // 55
    std::string UrlUpdateInfo;       // 56
    std::string HelpLink;            // 57
    std::string AppTitle;            // 58
    std::string UninstLinkName;      // name of the uninstaller's menu entry
    std::string MsgPercentPath;      // a folder the desktop cannot start from
    std::string MsgLockFailed;       // followed by the file and the reason
};

} // namespace tv
