#include "UAboutForm.h"

#include "UCardinalDate.h"
#include "UContacts.h"
#include "UDateTime.h"
#include "UDialogBand.h"
#include "UException.h"
#include "UExeFile.h"
#include "UImage.h"
#include "UMessages.h"
#include "UProgOptions.h"
#include "UQtText.h"
#include "UStoreMessages.h"
#include "UStringUtils.h"
#include "UTextConst.h"
#include "UVersion.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

#include <cstdint>

namespace tv {

namespace {

constexpr int ClientWidth = 253;
constexpr int ClientHeight = 180;
constexpr unsigned long StopWaitMs = 3000;

// "www.example.org" and "tarnovell@example.org", scrambled.
constexpr std::uint8_t WebCaptionBytes[] = {0x76, 0x75, 0x74, 0x2A, 0x60, 0x7E, 0x66, 0x65,
                                            0x79, 0x66, 0x6E, 0x22, 0x62, 0x7C, 0x68};
constexpr std::uint8_t MailBytes[] = {0x75, 0x63, 0x71, 0x6A, 0x6A, 0x70, 0x62, 0x64, 0x65, 0x4A, 0x6E,
                                      0x74, 0x6C, 0x63, 0x7F, 0x7C, 0x74, 0x3C, 0x7C, 0x66, 0x72};

TUnitGradienter AboutGradienter;

std::string OwnVersion() { return GetProductVersion(ExeFileName()); }

} // namespace

std::string MakerWebCaption() { return UnscrambleText(WebCaptionBytes, sizeof WebCaptionBytes); }

std::string MakerMailAddress() { return UnscrambleText(MailBytes, sizeof MailBytes); }

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, pal.color(QPalette::Link));
    setPalette(pal);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Click();
}

TVersionTestThread::TVersionTestThread(const std::string& address, QObject* parent)
    : QThread(parent), FAddress(address)
{
}

void TVersionTestThread::run()
{
    TVersionCheckResult result;
    try {
        TVersionTest test(FAddress);
        result.Tested = test.Tested();
        result.CheckedAt = Now();
        result.NewVersionAvailable = test.NewVersionAvailable();
        if (result.NewVersionAvailable) result.NewVersion = test.GetNewVersion();
    } catch (...) {
        // A failed check stores nothing; the next start tries again.
        result = TVersionCheckResult();
    }
    emit Checked(result);
}

TFormAbout::TFormAbout(TProgOptions* options, QWidget* parent, const std::string& versionAddress)
    : QDialog(parent, FixedDialogFlags),
      FOptions(options),
      FVersionAddress(versionAddress)
{
    SetupFixedDialog(this, "FormAbout", ClientWidth, ClientHeight, true);
    AddDialogBand(this, Image, Bevel);

    LbVersion = new QLabel(this);
    LbVersion->setObjectName("LbVersion");
    LbVersion->setGeometry(12, 12, ClientWidth - 24, 17);
    LbVersion->setTextFormat(Qt::PlainText);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(12);
    LbVersion->setFont(bold);
    LbCopyright = new QLabel(this);
    LbCopyright->setObjectName("LbCopyright");
    LbCopyright->setGeometry(12, 34, ClientWidth - 24, 30);
    LbCopyright->setTextFormat(Qt::PlainText);
    LbCopyright->setWordWrap(true);
    LbCopyright->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LbAddr = new TLinkLabel(this);
    LbAddr->setObjectName("LbAddr");
    LbAddr->move(12, 74);
    LbMail = new TLinkLabel(this);
    LbMail->setObjectName("LbMail");
    LbMail->move(12, 104);
    LbNewVersion = new QLabel(this);
    LbNewVersion->setObjectName("LbNewVersion");
    LbNewVersion->setTextFormat(Qt::PlainText);
    LbNewVersion->setAlignment(Qt::AlignCenter);
    LbNewVersion->setWordWrap(true);
    SetAlertColor(LbNewVersion);

    BtnOK = AddBandButton(this, "BtnOK", 88);
    BtnOK->setDefault(true);
    BtnOK->setText("OK");
    connect(BtnOK, &QPushButton::clicked, this, &TFormAbout::BtnOKClick);
    connect(LbAddr, &TLinkLabel::Click, this, &TFormAbout::LbAddrClick);
    connect(LbMail, &TLinkLabel::Click, this, &TFormAbout::LbMailClick);
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &TFormAbout::StopVersionTest);

    AboutGradienter.Attach(this, Image);
    FormCreate();
}

TFormAbout::~TFormAbout() { StopVersionTest(); }

void TFormAbout::FormCreate()
{
    LbAddr->setText(ToQ(MakerWebCaption()));
    LbMail->setText(ToQ(MakerMailAddress()));
    for (QLabel* link : {static_cast<QLabel*>(LbAddr), static_cast<QLabel*>(LbMail)})
        link->resize(link->fontMetrics().horizontalAdvance(link->text()) + 2, link->fontMetrics().height() + 3);
    LbCopyright->setText(ToQ(GetLegalCopyright(ExeFileName())));
    const int left = LbAddr->x() + LbAddr->width() + 2;
    LbNewVersion->setGeometry(left, LbAddr->y() - 8, ClientWidth - left - 2, LbAddr->height() + 16);
    ApplyLanguage();
    StartVersionTest();
}

void TFormAbout::ApplyLanguage()
{
    setWindowTitle(ToQ(TextTable[SlotAboutCaption]));
    BtnOK->setToolTip(ToQ(TextTable[SlotAboutCloseHint]));
    LbAddr->setToolTip(ToQ(TextTable[SlotVisitSiteHint]));
    LbMail->setToolTip(ToQ(TextTable[SlotSupportHint]));
    LbVersion->setText(ToQ(TextTable[SlotVersionPrefix] + OwnVersion()));
    if (isVisible()) FormShow();
}

void TFormAbout::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormAbout::FormShow() { LbNewVersion->setText(FNewVersion ? ToQ(TextTable[SlotNewVersion]) : QString()); }

void TFormAbout::BtnOKClick() { done(1); }

void TFormAbout::LbAddrClick()
{
    OpenScrambledAddress(TextTable.SiteAddressBytes.data(), TextTable.SiteAddressBytes.size(), std::string());
}

void TFormAbout::LbMailClick()
{
    const std::string subject =
        FormatText(TextTable[SlotSupportSubject], {OwnVersion(), DateToStr(Date(), TextTable.LangFormatSettings)});
    if (!SendMail(MailBytes, sizeof MailBytes, subject, TextTable[SlotSupportBody]))
        ShowOneButton(TextTable[SlotSendFailed], TextTable[SlotSendingCaption], MB_ICONEXCLAMATION);
}

void TFormAbout::CheckNewVersion()
{
    const std::string last = FOptions->GetLastVersion();
    FNewVersion = !last.empty() && last != OwnVersion();
    if (isVisible()) FormShow();
}

void TFormAbout::StartVersionTest()
{
    TV_ASSERT(FOptions != nullptr, "ProgOptions must be assigned");
    CheckNewVersion();
    if (Now() <= IncOneMonth(FOptions->GetTestDate())) return;
    auto* thread = new TVersionTestThread(FVersionAddress);
    connect(thread, &TVersionTestThread::Checked, this, &TFormAbout::VersionChecked, Qt::QueuedConnection);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    FThread = thread;
    thread->start();
}

void TFormAbout::VersionChecked(const TVersionCheckResult& result)
{
    if (result.Tested) FOptions->SetTestDate(result.CheckedAt);
    if (result.NewVersionAvailable) FOptions->SetLastVersion(result.NewVersion);
    CheckNewVersion();
}

void TFormAbout::StopVersionTest()
{
    TVersionTestThread* thread = FThread;
    if (!thread) return;
    FThread = nullptr;
    disconnect(thread, nullptr, this, nullptr);
    thread->quit();
    if (thread->wait(StopWaitMs))
        delete thread;
}

} // namespace tv
