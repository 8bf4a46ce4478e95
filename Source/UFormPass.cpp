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

TFormPass::TFormPass(TPass* pass, QWidget* parent)
    : QDialog(parent, FixedDialogFlags),
      FPass(pass)
{
    TV_ASSERT(pass != nullptr, "Not assigned TPass-object for the password form");
    SetupFixedDialog(this, "FormPass", ClientWidth, ClientHeight, true);
    AddDialogBand(this, Image, Bevel);

    LbPass = new QLabel(this);
    LbPass->setObjectName("LbPass");
    LbPass->setGeometry(12, 8, 236, 15);
    EditPass = new QLineEdit(this);
    EditPass->setObjectName("EditPass");
    EditPass->setGeometry(12, 25, 196, 21);
    EditPass->setEchoMode(QLineEdit::Password);
    LbLang = new QLabel(this);
    LbLang->setObjectName("LbLang");
    LbLang->setGeometry(212, 25, 36, 21);
    LbLang->setAlignment(Qt::AlignCenter);
    QFont small = font();
    small.setPixelSize(10);
    LbLang->setFont(small);
    LbResult = new QLabel(this);
    LbResult->setObjectName("LbResult");
    LbResult->setGeometry(4, 49, ClientWidth - 8, 15);
    LbResult->setAlignment(Qt::AlignCenter);
    LbResult->setTextFormat(Qt::PlainText);
    SetAlertColor(LbResult);

    BtnOK = AddBandButton(this, "BtnOK", 172);
    BtnOK->setDefault(true);
    BtnCancel = AddBandButton(this, "BtnCancel", 86);
    setTabOrder(EditPass, BtnOK);
    setTabOrder(BtnOK, BtnCancel);

    connect(BtnOK, &QPushButton::clicked, this, &TFormPass::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFormPass::BtnCancelClick);
    connect(EditPass, &QLineEdit::textChanged, this, &TFormPass::EditPassChange);
    connect(QGuiApplication::inputMethod(), &QInputMethod::localeChanged, this,
            [this] { FLayoutChanged = true; });

    PassGradienter.Attach(this, Image);
    qApp->installEventFilter(this);
    FormCreate();
    FTopWindow = std::make_unique<TTopWindow>("TFormPass", FromQ(windowTitle()), this, [](TMessage& message) {
        if (message.Msg == WM_RESTOREINSTANCE)
            AnswerActivate(message);
        else if (message.Msg == WM_TERMINATEINSTANCE)
            AnswerClose();
    });
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
    if (PasswordMatches(*FPass, EditPass->text()))
        done(1);
    else
        LbResult->setText(ToQ(TextTable[SlotWrongOldPassword]));
}

void TFormPass::BtnCancelClick() { done(2); }

void TFormPass::reject() { done(2); }

void TFormPass::EditPassChange()
{
    if (!LbResult->text().isEmpty()) LbResult->clear();
}

} // namespace tv
