#include "USetupMainForm.h"

#include "UCarried.h"
#include "UConfirm.h"
#include "UDialogBand.h"
#include "UException.h"
#include "UExeFile.h"
#include "UImage.h"
#include "UJpegImage.h"
#include "ULabelFont.h"
#include "UNamSelDir.h"
#include "UQtText.h"
#include "USetupTextConst.h"
#include "UShell.h"
#include "UTranspCheckBox.h"
#include "UVersion.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

namespace tv {

TMainFormSetup* MainFormSetup = nullptr;
bool RunAfterSetup = false;
std::string ProgramToRun;

namespace {

constexpr int ClientWidth = 600;
constexpr int ClientHeight = 392;
constexpr int BandHeight = 48;
constexpr int Left = 260;

TUnitGradienter SetupGradienter;

std::string WithDelimiter(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

QLabel* AddLabel(QWidget* form, const char* name, int top)
{
    auto* label = new QLabel(form);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->move(Left, top);
    return label;
}

QCheckBox* AddCheckBox(QWidget* form, const char* name, int top)
{
    auto* box = new QCheckBox(form);
    box->setObjectName(name);
    box->setGeometry(Left, top, 281, 17);
    box->setChecked(true);
    QPalette white = box->palette();
    white.setColor(QPalette::Window, Qt::white);
    box->setPalette(white);
    box->setBackgroundRole(QPalette::Window);
    box->setAutoFillBackground(true);
    return box;
}

QPlainTextEdit* AddMemo(QWidget* form, const char* name, int top, int height, bool wrap)
{
    auto* memo = new QPlainTextEdit(form);
    memo->setObjectName(name);
    memo->setGeometry(Left, top, 321, height);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    return memo;
}

QPushButton* AddButton(QWidget* form, const char* name, int left, int top)
{
    auto* button = new QPushButton(form);
    button->setObjectName(name);
    button->setGeometry(left, top, 75, 25);
    return button;
}

// The labels stand on the picture's page, 321 px wide like the memos; the
// description and the bottom hint hold two lines each.
constexpr int Room = 321;
constexpr int TwoLines = 26;

// The folder the text of the folder field means, with its delimiter: "~"
// stands for the home folder, a relative path lies in the current folder,
// and an empty text means the setup program's own folder.
std::string InstallFolderOf(const QString& fieldText)
{
    QString text = fieldText.trimmed();
    if (text.isEmpty())
        return WithDelimiter(QFileInfo(QString::fromStdString(ExeFileName())).absolutePath().toStdString());
    if (text == "~" || text.startsWith("~/"))
        text = QDir::homePath() + text.mid(1);
    return WithDelimiter(QDir::cleanPath(QDir::current().absoluteFilePath(text)).toStdString());
}

// The label as large as its text, and a pixel taller: at a larger screen
// scale a hinted descender may reach below the family's descent.
void AutoSize(QLabel* label)
{
    label->adjustSize();
    label->resize(label->width(), label->height() + 1);
}

void Place(QWidget* control, int top)
{
    control->move(control->x(), top);
    control->show();
}

// A control of a page: its top and, when it is not 0, its height there.
struct TPlace {
    QWidget* Control;
    int Top;
    int Height = 0;
};

// A page: the bottom hint, the caption of Next, whether Back is offered,
// the page's own controls and every text its labels may show besides the
// version and description, which every page shows.
struct TPage {
    TSetupPage Page;
    std::string TSetupText::*Hint;
    std::string TSetupText::*Next;
    bool Back;
    std::vector<TPlace> Places;
    std::vector<std::string TSetupText::*> Texts;
};

// Made on each use: the check boxes are replaced after the form is built.
std::vector<TPage> PagesOf(const TMainFormSetup& f)
{
    using T = TSetupText;
    return {
        {pageLang, &T::HintNext, &T::BtnNext, false, {{f.LbLang, 120}, {f.ComboBoxLang, 135}},
         {&T::LangPrompt, &T::HintNext}},
        {pageLicense, &T::HintAgree, &T::BtnAgree, true, {{f.LbLicense, 90}, {f.MemoLicense, 105, 190}},
         {&T::LicensePrompt, &T::HintAgree}},
        {pagePath, &T::HintNext, &T::BtnNext, true,
         {{f.LbPath, 100}, {f.EditPath, 115}, {f.BtnBrowse, 113}, {f.CbMenu, 180}, {f.CbDesktop, 205}},
         {&T::PathPrompt, &T::HintNext, &T::MsgPercentPath}},
        {pageSummary, &T::HintInstall, &T::BtnInstall, true,
         {{f.LbProgress, 90}, {f.MemoProgress, 105, 170}, {f.CbExec, 280}},
         {&T::SummaryCaption, &T::ProgressCaption, &T::HintInstall, &T::Installing, &T::InstallOk,
          &T::InstallErrors}},
    };
}

QPixmap WizardPicture()
{
    std::string data;
    if (!ReadCarriedFile("JPEG", "WIZARD", data))
        return QPixmap();
    return QPixmap::fromImage(DecodeJpeg(data));
}

} // namespace

std::string DefaultFolderRoot()
{
    const QString home = QDir::homePath();
    return home.isEmpty() ? std::string("/") : WithDelimiter(home.toStdString());
}

int ExecProgram(const std::string& program, const std::vector<std::string>& arguments, bool wait)
{
    if (!wait)
        return ShellStart(program, arguments) ? 0 : -1;
    QStringList args;
    for (const std::string& argument : arguments)
        args << QString::fromStdString(argument);
    QProcess process;
    process.start(QString::fromStdString(program), args);
    if (!process.waitForStarted())
        return -1;
    process.waitForFinished(-1);
    return process.exitCode();
}

TMainFormSetup::TMainFormSetup(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      FInstallation(*this)
{
    setObjectName("MainFormSetup");
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(ClientWidth, ClientHeight);

    Image = new QLabel(this);
    Image->setObjectName("Image");
    Image->setGeometry(0, -6, 600, 350);
    Image->setPixmap(WizardPicture());
    ImageBott = new TImage(this);
    ImageBott->setObjectName("ImageBott");
    ImageBott->setGeometry(0, ClientHeight - BandHeight, ClientWidth, BandHeight);
    Bevel = new QFrame(this);
    Bevel->setObjectName("Bevel");
    Bevel->setFrameShape(QFrame::HLine);
    Bevel->setFrameShadow(QFrame::Sunken);
    Bevel->setGeometry(0, ClientHeight - BandHeight - 2, ClientWidth, 2);

    BtnBack = AddButton(this, "BtnBack", 344, 356);
    BtnNext = AddButton(this, "BtnNext", 425, 356);
    BtnCancel = AddButton(this, "BtnCancel", 506, 356);
    LbDescript = AddLabel(this, "LbDescript", 14);
    LbDescript->resize(Room, TwoLines);
    LbDescript->setWordWrap(true);
    LbLang = AddLabel(this, "LbLang", 40);
    ComboBoxLang = new QComboBox(this);
    ComboBoxLang->setObjectName("ComboBoxLang");
    // The languages by their own names, in the order of ComboLangCodes.
    ComboBoxLang->addItems({"English", "Русский", "Українська"});
    ComboBoxLang->setGeometry(Left, 57, 224, 22);
    LbLicense = AddLabel(this, "LbLicense", 75);
    MemoLicense = AddMemo(this, "MemoLicense", 88, 32, true);
    LbPath = AddLabel(this, "LbPath", 154);
    EditPath = new QLineEdit(this);
    EditPath->setObjectName("EditPath");
    EditPath->setGeometry(Left, 170, 240, 21);
    BtnBrowse = AddButton(this, "BtnBrowse", 506, 168);
    CbMenu = AddCheckBox(this, "CbMenu", 213);
    CbDesktop = AddCheckBox(this, "CbDesktop", 230);
    LbProgress = AddLabel(this, "LbProgress", 252);
    MemoProgress = AddMemo(this, "MemoProgress", 268, 30, false);
    // A line wider than the memo brings a horizontal bar that shortens the
    // view after the line was added: follow the end then too.
    QScrollBar* memoBar = MemoProgress->verticalScrollBar();
    connect(memoBar, &QScrollBar::rangeChanged, memoBar, [memoBar](int, int maximum) { memoBar->setValue(maximum); });
    LbComplete = AddLabel(this, "LbComplete", 306);
    LbComplete->resize(Room, TwoLines);
    LbVersion = AddLabel(this, "LbVersion", 0);
    CbExec = AddCheckBox(this, "CbExec", 195);

    QWidget* order[] = {BtnBack, BtnNext, BtnCancel, ComboBoxLang, MemoLicense, EditPath,
                        BtnBrowse, CbMenu, CbDesktop, MemoProgress, CbExec};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(ComboBoxLang, &QComboBox::activated, this, &TMainFormSetup::ComboBoxLangSelect);
    connect(BtnNext, &QPushButton::clicked, this, &TMainFormSetup::BtnNextClick);
    connect(BtnBack, &QPushButton::clicked, this, &TMainFormSetup::BtnBackClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TMainFormSetup::BtnCancelClick);
    connect(BtnBrowse, &QPushButton::clicked, this, &TMainFormSetup::BtnBrowseClick);

    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    SetupGradienter.Attach(this, ImageBott);
    FInstallation.ProductVersion = GetProductVersion(ExeFileName());
    FormCreate();
}

TMainFormSetup::~TMainFormSetup()
{
    if (MainFormSetup == this)
        MainFormSetup = nullptr;
}

void TMainFormSetup::FormCreate()
{
    FTotalSize = 0;
    FPage = pageNone;
    FInstallPath.clear();
    ReplaceCheckBoxes();
    ComboBoxLang->setCurrentIndex(ComboLangIndex(langEnglish));
    SetLanguage(ComboLangIndex(langEnglish));
    EditPath->setText(QString::fromStdString(DefaultFolderRoot() + "Tarnovell"));
    ShowPage(pageLang);
    BtnNext->setFocus();
}

void TMainFormSetup::ReplaceCheckBoxes()
{
    CbMenu = TTranspCheckBox::Create(this, CbMenu);
    CbDesktop = TTranspCheckBox::Create(this, CbDesktop);
}

void TMainFormSetup::SetLanguage(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= ComboLangCodes.size())
        throw ERangeError();
    SetLangText(ComboLangCodes[static_cast<std::size_t>(index)]);
    const TSetupText& t = SetupText;
    setWindowTitle(ToQ(t.Caption));
    SetLabel(LbVersion, t.Version + " " + FInstallation.ProductVersion, true);
    SetLabel(LbDescript, t.Descript, false);
    SetLabel(LbLang, t.LangPrompt, true);
    SetLabel(LbLicense, t.LicensePrompt, true);
    MemoLicense->setPlainText(ToQ(t.LicenseText));
    SetLabel(LbPath, t.PathPrompt, true);
    CbDesktop->setText(ToQ(t.CbDesktop));
    CbMenu->setText(ToQ(t.CbMenu));
    CbExec->setText(ToQ(t.CbExec));
    BtnNext->setText(ToQ(t.BtnNext));
    BtnBack->setText(ToQ(t.BtnBack));
    BtnCancel->setText(ToQ(t.BtnCancel));
    BtnBrowse->setText(ToQ(t.BtnBrowse));
    SetLabel(LbComplete, t.HintNext, false);
    SetConfirmTexts(t);
    FitLabels();
}

void TMainFormSetup::FitLabels()
{
    const std::vector<TPage> pages = PagesOf(*this);
    const TSetupPage page = FPage == pageNone ? pageLang : FPage;
    const auto shown = std::find_if(pages.begin(), pages.end(), [page](const TPage& p) { return p.Page == page; });
    QStringList texts = {LbVersion->text()};
    for (const auto text : shown->Texts)
        texts << ToQ(SetupText.*text);
    // A page shows one text size: when a line the page may show is wider
    // than the column, or the description's or a hint's two lines taller
    // than their box (the languages differ, and so do the fonts at hand),
    // every label of the page is set a little smaller alike.
    FLabelFont = LabelFont(font(), texts, Room,
                           {{LbDescript->height(), {ToQ(SetupText.Descript)}}, {LbComplete->height(), texts}});
    for (QLabel* label : {LbVersion, LbDescript, LbLang, LbLicense, LbPath, LbProgress, LbComplete}) {
        label->setFont(FLabelFont);
        if (label != LbDescript && label != LbComplete)
            AutoSize(label);
    }
}

void TMainFormSetup::SetLabel(QLabel* label, const std::string& text, bool autoSize)
{
    label->setText(ToQ(text));
    label->setFont(FLabelFont);
    if (autoSize)
        AutoSize(label);
}

void TMainFormSetup::ComboBoxLangSelect(int index) { SetLanguage(index); }

void TMainFormSetup::ShowPage(TSetupPage page)
{
    const std::vector<TPage> pages = PagesOf(*this);
    const auto shown = std::find_if(pages.begin(), pages.end(), [page](const TPage& p) { return p.Page == page; });
    TV_ASSERT(shown != pages.end(), "Strange Page Value");
    Place(LbVersion, 25);
    Place(LbDescript, 38);
    for (const TPlace& place : shown->Places) {
        Place(place.Control, place.Top);
        if (place.Height > 0)
            place.Control->resize(place.Control->width(), place.Height);
    }
    for (auto p = pages.begin(); p != pages.end(); ++p)
        if (p != shown)
            for (const TPlace& place : p->Places)
                place.Control->hide();
    LbComplete->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetLabel(LbComplete, SetupText.*shown->Hint, false);
    BtnNext->setText(ToQ(SetupText.*shown->Next));
    BtnNext->show();
    BtnBack->setVisible(shown->Back);
    BtnCancel->setText(ToQ(SetupText.BtnCancel));
    if (page == pageSummary) {
        SetLabel(LbProgress, SetupText.SummaryCaption, true);
        FillSummary();
    }
    FPage = page;
    FitLabels();
}

void TMainFormSetup::ShowInstallEnd(bool ok)
{
    SetLabel(LbComplete, ok ? SetupText.InstallOk : SetupText.InstallErrors, false);
    BtnCancel->setText(ToQ(SetupText.BtnExit));
    // After a failure the user may go back or run the steps again.
    BtnNext->setVisible(!ok);
    BtnBack->setVisible(!ok);
    if (ok)
        RunAfterSetup = true;
}

void TMainFormSetup::FillSummary()
{
    MemoProgress->clear();
    const TSetupText& t = SetupText;
    AddLine(t.SumLang);
    AddLine("    " + ComboBoxLang->currentText().toStdString());
    UpdateInstallPath();
    AddLine(t.SumPath);
    AddLine("    \"" + FInstallPath + "\"");
    AddLine(CbMenu->text().toStdString());
    AddLine("    " + t.NoYes[CbMenu->isChecked()]);
    AddLine(CbDesktop->text().toStdString());
    AddLine("    " + t.NoYes[CbDesktop->isChecked()]);
    AddLine("");
}

void TMainFormSetup::UpdateInstallPath() { FInstallPath = InstallFolderOf(EditPath->text()); }

void TMainFormSetup::BtnNextClick()
{
    if (FPage == pageSummary)
        Install();
    else if (FPage >= pageLang && (FPage != pagePath || PathAccepted()))
        ShowPage(static_cast<TSetupPage>(FPage + 1));
}

void TMainFormSetup::BtnBackClick()
{
    if (FPage > pageLang)
        ShowPage(static_cast<TSetupPage>(FPage - 1));
}

bool TMainFormSetup::PathAccepted()
{
    // Desktop launchers cannot start a program from such a folder.
    UpdateInstallPath();
    if (FInstallPath.find('%') == std::string::npos)
        return true;
    SetLabel(LbComplete, SetupText.MsgPercentPath, false);
    EditPath->setFocus();
    return false;
}

void TMainFormSetup::BtnCancelClick() { close(); }

void TMainFormSetup::BtnBrowseClick()
{
    std::string folder = InstallFolderOf(EditPath->text());
    const std::string tail = "/tarnovell/";
    if (folder.size() >= tail.size() &&
        QString::fromStdString(folder.substr(folder.size() - tail.size())).compare(QString::fromStdString(tail),
                                                                                    Qt::CaseInsensitive) == 0)
        folder.erase(folder.size() - (tail.size() - 1));
    if (BrowseNamedDir("Tarnovell", folder, SetupText.BrowseCaption, SetupText.BtnCancel, "OK",
                       LbPath->text().toStdString()))
        EditPath->setText(QString::fromStdString(folder));
}

void TMainFormSetup::Install()
{
    SetLabel(LbProgress, SetupText.ProgressCaption, true);
    SetLabel(LbComplete, SetupText.Installing, false);
    LbComplete->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    BtnBack->hide();
    BtnNext->hide();
    BtnCancel->setText(ToQ(SetupText.BtnExit));
    FillSummary();
    TV_ASSERT(ConfirmForm != nullptr, "Not created ConfirmForm");
    ConfirmForm->ResetGroupMode();
    TV_ASSERT(!FInstallPath.empty(), "No Set Setup Path");

    TInstallChoice choice;
    choice.InstallPath = FInstallPath;
    choice.LangCode = ComboLangCodes[static_cast<std::size_t>(ComboBoxLang->currentIndex())];
    choice.MenuGroup = CbMenu->isChecked();
    choice.DesktopLink = CbDesktop->isChecked();
    FInstalling = true;
    BtnCancel->setEnabled(false);
    bool ok = true;
    try {
        FInstallation.Install(choice);
    } catch (const std::exception&) {
        ok = false;
    }
    FTotalSize = FInstallation.TotalSize();
    FInstalling = false;
    BtnCancel->setEnabled(true);
    ShowInstallEnd(ok);
}

void TMainFormSetup::closeEvent(QCloseEvent* event)
{
    if (FInstalling) {
        event->ignore();
        return;
    }
    FormClose();
    QWidget::closeEvent(event);
}

void TMainFormSetup::FormClose()
{
    RunAfterSetup = RunAfterSetup && CbExec->isChecked();
    if (RunAfterSetup)
        ProgramToRun = FInstallPath + ProgramFileName;
}

int TMainFormSetup::AddLine(const std::string& text)
{
    MemoProgress->appendPlainText(QString::fromStdString(text));
    ShowMemoEnd();
    return MemoProgress->document()->blockCount() - 1;
}

void TMainFormSetup::SetLine(int index, const std::string& text)
{
    QTextCursor cursor(MemoProgress->document()->findBlockByNumber(index));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(QString::fromStdString(text));
    ShowMemoEnd();
}

void TMainFormSetup::ShowMemoEnd()
{
    MemoProgress->horizontalScrollBar()->setValue(0);
    MemoProgress->verticalScrollBar()->setValue(MemoProgress->verticalScrollBar()->maximum());
}

bool TMainFormSetup::CanWriteFile(const std::string& fileName) { return ConfirmForm->CanWriteFile(fileName); }

void TMainFormSetup::ProcessMessages() { QCoreApplication::processEvents(); }

} // namespace tv
