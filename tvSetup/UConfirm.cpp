#include "UConfirm.h"

#include "UDialogBand.h"
#include "UException.h"
#include "UImage.h"
#include "ULabelFont.h"
#include "UQtText.h"
#include "UShortenPath.h"
#include "UTextIntface.h"

#include <QLabel>
#include <QPushButton>

#include <filesystem>

namespace tv {

std::string stConfirmFormCaption;
std::string stFileExists;
std::string stReplaceQuestion;
std::string stBtnYes;
std::string stBtnYesToAll;
std::string stBtnNo;
std::string stBtnNoToAll;

TConfirmForm* ConfirmForm = nullptr;

void SetConfirmTexts(const TSetupText& text)
{
    stConfirmFormCaption = text.ConfirmCaption;
    stFileExists = text.FileExists;
    stReplaceQuestion = text.ReplaceQuestion;
    stBtnYes = text.BtnYes;
    stBtnYesToAll = text.BtnYesToAll;
    stBtnNo = text.BtnNo;
    stBtnNoToAll = text.BtnNoToAll;
}

namespace {

constexpr int ClientWidth = 372;
constexpr int ClientHeight = 202;
constexpr int ButtonTop = 169;

TUnitGradienter ConfirmGradienter;

} // namespace

TConfirmForm::TConfirmForm(QWidget* parent) : QDialog(parent, FixedDialogFlags)
{
    SetupFixedDialog(this, "ConfirmForm", ClientWidth, ClientHeight, true);
    LbQuestion = new QLabel(this);
    LbQuestion->setObjectName("LbQuestion");
    LbQuestion->setGeometry(24, 24, 330, 41);
    LbQuestion->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LbQuestion->setTextFormat(Qt::PlainText);
    AddDialogBand(this, Image, Bevel);
    BtnYes = AddButton("BtnYes", 16, 70, mrYes);
    BtnYesToAll = AddButton("BtnYesToAll", 92, 90, mrYesToAll);
    BtnNo = AddButton("BtnNo", 188, 70, mrNo);
    BtnNoToAll = AddButton("BtnNoToAll", 264, 90, mrNoToAll);
    ConfirmGradienter.Attach(this, Image);
    FormCreate();
}

QPushButton* TConfirmForm::AddButton(const char* name, int left, int width, int result)
{
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    button->setGeometry(left, ButtonTop, width, 25);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    return button;
}

void TConfirmForm::FormCreate()
{
    FGroupMode = 0;
    TV_ASSERT(!stConfirmFormCaption.empty(), "Not Assigned stConfirmFormCaption");
    TV_ASSERT(!stFileExists.empty(), "Not Assigned stFileExists");
    TV_ASSERT(!stReplaceQuestion.empty(), "Not Assigned stReplaceQuestion");
    TV_ASSERT(!stBtnYes.empty(), "Not Assigned stBtnYes");
    TV_ASSERT(!stBtnYesToAll.empty(), "Not Assigned stBtnYesToAll");
    TV_ASSERT(!stBtnNo.empty(), "Not Assigned stBtnNo");
    TV_ASSERT(!stBtnNoToAll.empty(), "Not Assigned stBtnNoToAll");
    ApplyTexts();
}

void TConfirmForm::showEvent(QShowEvent* event)
{
    ApplyTexts();
    QDialog::showEvent(event);
}

void TConfirmForm::ApplyTexts()
{
    setWindowTitle(ToQ(stConfirmFormCaption));
    BtnYes->setText(ToQ(stBtnYes));
    BtnYesToAll->setText(ToQ(stBtnYesToAll));
    BtnNo->setText(ToQ(stBtnNo));
    BtnNoToAll->setText(ToQ(stBtnNoToAll));
    // The notice, a file and the question, in three lines.
    const QString question = ToQ(stFileExists + "\n/\n" + stReplaceQuestion);
    LbQuestion->setFont(LabelFont(font(), {}, LbQuestion->width(), {{LbQuestion->height(), {question}}}));
}

void TConfirmForm::ResetGroupMode() { FGroupMode = 0; }

bool TConfirmForm::CanWriteFile(const std::string& fileName)
{
    std::error_code ec;
    if (FGroupMode == 1 || !std::filesystem::exists(fileName, ec))
        return true;
    if (FGroupMode == 2)
        return false;
    TV_ASSERT(FGroupMode == 0, "Strange Group Mode Value");
    // The path is shortened in the question's font of the current language,
    // a pixel inside each side: the centred line's advances have fractions.
    ApplyTexts();
    const std::string shortName = ShortenPath(fileName, LbQuestion->font(), LbQuestion->width() - 2);
    LbQuestion->setText(ToQ(stFileExists + "\n" + shortName + "\n" + stReplaceQuestion));
    switch (exec()) {
    case mrYes:
        return true;
    case mrYesToAll:
        FGroupMode = 1;
        return true;
    case mrNoToAll:
        FGroupMode = 2;
        return false;
    default:
        return false;
    }
}

} // namespace tv
