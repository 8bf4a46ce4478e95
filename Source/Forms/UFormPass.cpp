#include "UFormPass.h"

#include "UAppSelect.h"
#include "UCodePage.h"
#include "UDialogBand.h"
#include "UException.h"
#include "UImage.h"
#include "UKeyboard.h"
#include "UPassword.h"
#include "UQtText.h"
#include "UTextConst.h"
#include "UTopWindows.h"

#include <QApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

namespace tv {

namespace {

constexpr int ClientWidth = 260;
constexpr int ClientHeight = 110;
TUnitGradienter PassGradienter;

} // namespace

std::string PasswordBytes(const QString& text)
{
    const std::string utf8 = FromQ(text);
    std::string cp1251 = Utf8ToCp1251(utf8);
    if (Cp1251ToUtf8(cp1251) == utf8) return cp1251;
    return utf8;
}

bool PasswordMatches(TPass& pass, const QString& text)
{
    try {
        return pass.Check(PasswordBytes(text));
    } catch (const Exception&) {
        return false;
    }
}

TPassDialog::TPassDialog(TPass* pass, QWidget* parent, const char* name, int width, int height,
                         const char* assertion)
    : QDialog(parent, FixedDialogFlags),
      FPass(pass)
{
    TV_ASSERT(pass != nullptr, assertion);
    SetupFixedDialog(this, name, width, height, true);
    AddDialogBand(this, Image, Bevel);
}

QLineEdit* TPassDialog::AddPasswordEdit(const char* name, const QRect& place)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setGeometry(place);
    edit->setEchoMode(QLineEdit::Password);
    connect(edit, &QLineEdit::textChanged, this, &TPassDialog::EditPassChange);
    return edit;
}

void TPassDialog::AddResultAndButtons(int resultTop)
{
    LbResult = new QLabel(this);
    LbResult->setObjectName("LbResult");
    LbResult->setGeometry(4, resultTop, width() - 8, 15);
    LbResult->setAlignment(Qt::AlignCenter);
    LbResult->setTextFormat(Qt::PlainText);
    SetAlertColor(LbResult);

    BtnOK = AddBandButton(this, "BtnOK", 172);
    BtnOK->setDefault(true);
    BtnCancel = AddBandButton(this, "BtnCancel", 86);
    connect(BtnCancel, &QPushButton::clicked, this, &TPassDialog::BtnCancelClick);
}

bool TPassDialog::OldPasswordMatches()
{
    if (PasswordMatches(*FPass, EditPass->text())) return true;
    ShowResult(SlotWrongOldPassword);
    return false;
}

void TPassDialog::ShowResult(TTextSlot slot) { LbResult->setText(ToQ(TextTable[slot])); }

void TPassDialog::reject() { done(2); }

void TPassDialog::BtnCancelClick() { done(2); }

void TPassDialog::EditPassChange()
{
    if (!LbResult->text().isEmpty()) LbResult->clear();
}

TFormPass::TFormPass(TPass* pass, QWidget* parent)
    : TPassDialog(pass, parent, "FormPass", ClientWidth, ClientHeight,
                  "Not assigned TPass-object for the password form")
{
    LbPass = new QLabel(this);
    LbPass->setObjectName("LbPass");
    LbPass->setGeometry(12, 8, 236, 15);
    EditPass = AddPasswordEdit("EditPass", QRect(12, 25, 196, 21));
    LbLang = new QLabel(this);
    LbLang->setObjectName("LbLang");
    LbLang->setGeometry(212, 25, 36, 21);
    LbLang->setAlignment(Qt::AlignCenter);
    QFont small = font();
    small.setPixelSize(10);
    LbLang->setFont(small);
    AddResultAndButtons(49);
    setTabOrder(EditPass, BtnOK);
    setTabOrder(BtnOK, BtnCancel);

    connect(BtnOK, &QPushButton::clicked, this, &TFormPass::BtnOKClick);
    connect(QGuiApplication::inputMethod(), &QInputMethod::localeChanged, this,
            [this] { FLayoutChanged = true; });

    PassGradienter.Attach(this, Image);
    qApp->installEventFilter(this);
    FormCreate();
    FTopWindow = std::make_unique<TTopWindow>("TFormPass", FromQ(windowTitle()), this, AnswerInstanceMessage);
}

TFormPass::~TFormPass()
{
    if (qApp) qApp->removeEventFilter(this);
}

void TFormPass::FormCreate()
{
    SelectKeyboardLayout(TextTable[SlotLayoutId], true);
    ShowKeyboardLanguage();
    ApplyLanguage();
}

bool TFormPass::LoginCancelled()
{
    if (FPass->IsEmpty()) return false;
    EditPass->clear();
    LbResult->clear();
    EditPass->setFocus();
    return exec() != 1;
}

void TFormPass::ApplyLanguage()
{
    setWindowTitle(ToQ(TextTable[SlotLogInCaption]));
    LbPass->setText(ToQ(TextTable[SlotEnterPassword]));
    BtnOK->setText("OK");
    BtnCancel->setText(ToQ(TextTable[SlotCancelButton]));
    if (FTopWindow) FTopWindow->SetCaption(TextTable[SlotLogInCaption]);
}

void TFormPass::ShowKeyboardLanguage() { LbLang->setText(QString::fromStdString(KeyboardLanguageText())); }

bool TFormPass::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        isVisible()) {
        done(PassEscapeResult);
        return true;
    }
    if (FLayoutChanged) {
        FLayoutChanged = false;
        ShowKeyboardLanguage();
    } else if (event->type() == QEvent::KeyboardLayoutChange || event->type() == QEvent::KeyRelease) {
        FLayoutChanged = true;
        QTimer::singleShot(0, this, [] {});
    }
    return QDialog::eventFilter(watched, event);
}

void TFormPass::BtnOKClick()
{
    if (OldPasswordMatches()) done(1);
}

} // namespace tv
