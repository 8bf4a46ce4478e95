#pragma once
// The setup wizard: pages for the language, the licence agreement, the
// folder and options, and the summary with the installation's progress.

#include "UInstallation.h"

#include <QFont>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tv {

class TImage;

// The wizard's pages in the order Next goes through them.
enum TSetupPage : int { pageNone = 0, pageLang, pageLicense, pagePath, pageSummary };

class TMainFormSetup : public QWidget, private IInstallView {
public:
    explicit TMainFormSetup(QWidget* parent = nullptr);
    ~TMainFormSetup() override;

    // Applies the language at the index of the list (ComboLangCodes) to
    // every control, the overwrite dialog's texts and the application;
    // another index raises ERangeError.
    void SetLanguage(int index);

    // Shows the page's controls at their places, hides those of the other
    // pages and labels the buttons for the page.
    void ShowPage(TSetupPage page);
    // The end of the installation: Exit only after a success; Back and Next
    // stay after a failure.
    void ShowInstallEnd(bool ok);
    void FillSummary();
    void UpdateInstallPath();
    // Runs the installation from the summary page.
    void Install();

    int Page() const { return FPage; }
    const std::string& InstallPath() const { return FInstallPath; }
    std::uint32_t TotalSize() const { return FTotalSize; }
    bool Installing() const { return FInstalling; }
    // The steps, for tests to reach what they touch outside.
    TInstallation& Installation() { return FInstallation; }

    QFrame* Bevel;
    QLabel* Image;
    QPushButton* BtnBack;
    QPushButton* BtnNext;
    QPushButton* BtnCancel;
    QLabel* LbDescript;
    QLabel* LbLang;
    QComboBox* ComboBoxLang;
    QLabel* LbLicense;
    QPlainTextEdit* MemoLicense;
    QLabel* LbPath;
    QLineEdit* EditPath;
    QPushButton* BtnBrowse;
    QCheckBox* CbMenu;
    QCheckBox* CbDesktop;
    QLabel* LbProgress;
    QPlainTextEdit* MemoProgress;
    QLabel* LbComplete;
    TImage* ImageBott;
    QLabel* LbVersion;
    QCheckBox* CbExec;

protected:
    // While the steps run the wizard stays open.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void ComboBoxLangSelect(int index);
    void BtnNextClick();
    void BtnBackClick();
    void BtnCancelClick();
    void BtnBrowseClick();
    // Whether the folder typed on the folder page can be installed to; says
    // why not in the bottom label.
    bool PathAccepted();
    void ReplaceCheckBoxes();
    // Sets the label's text in the labels' font of the page.
    void SetLabel(QLabel* label, const std::string& text, bool autoSize);
    // Gives every label the one size at which all the current page's texts
    // fit its column.
    void FitLabels();

    int AddLine(const std::string& text) override;
    void SetLine(int index, const std::string& text) override;
    bool CanWriteFile(const std::string& fileName) override;
    void ProcessMessages() override;
    // Scrolls the progress memo to its last line, at its left edge.
    void ShowMemoEnd();

    QFont FLabelFont;
    TSetupPage FPage = pageNone;
    std::string FInstallPath;
    std::uint32_t FTotalSize = 0;
    bool FInstalling = false;
    TInstallation FInstallation;
};

extern TMainFormSetup* MainFormSetup;

// Set by a successful installation; the program to start after the wizard
// closed (emptied at the end).
extern bool RunAfterSetup;
extern std::string ProgramToRun;

// The folder under which the default installation folder lies: the user's
// home folder with a trailing delimiter, "/" when it is unknown.
std::string DefaultFolderRoot();

// Starts the program with the arguments. With wait, waits until it ends and
// returns its exit code; without, returns 0 at once. A program that cannot
// be started gives -1 and nothing else.
int ExecProgram(const std::string& program, const std::vector<std::string>& arguments, bool wait);

} // namespace tv
