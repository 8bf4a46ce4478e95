#pragma once
// The about box: version, copyright, the maker's web page and support mail,
// the mark of a newer version; and the monthly version check that feeds it.

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QThread>

#include <string>

#include "UDateTime.h"
#include "UVersionTest.h"

class QFrame;
class QPushButton;

namespace tv {

class TImage;
class TProgOptions;

// The maker's web address shown on the about box and its support mail
// address; both are kept scrambled in the program.
std::string MakerWebCaption();
std::string MakerMailAddress();

// A label that reads as a link: hand cursor, underlined, link colour.
class TLinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit TLinkLabel(QWidget* parent = nullptr);

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// What one version check found.
struct TVersionCheckResult {
    bool Tested = false;  // the request succeeded, at CheckedAt
    TDateTime CheckedAt = 0;
    bool NewVersionAvailable = false;
    std::string NewVersion;
};

// One version check on its own thread. It touches no settings: Checked
// carries the result, for receivers on other threads by a queued call, and
// the receiver stores it. Ending the thread with quit() cuts a running
// request short.
class TVersionTestThread : public QThread {
    Q_OBJECT

public:
    explicit TVersionTestThread(const std::string& address, QObject* parent = nullptr);

signals:
    void Checked(const tv::TVersionCheckResult& result);

protected:
    void run() override;

private:
    std::string FAddress;
};

class TFormAbout : public QDialog {
    Q_OBJECT

public:
    // options must be given and outlive the form. Creating the box starts
    // the version check of versionAddress when the last successful one is
    // more than a month old.
    explicit TFormAbout(TProgOptions* options, QWidget* parent = nullptr,
                        const std::string& versionAddress = VersionCheckAddress());
    // A check still running is told to stop and waited for briefly; one that
    // does not stop is left to end with the program.
    ~TFormAbout() override;

    // Caption, hints and the version line from the current text table.
    void ApplyLanguage();
    // The flag := LastVersion is not empty and differs from the program's
    // product version.
    void CheckNewVersion();
    bool NewVersionFlag() const { return FNewVersion; }
    // The running check, null when none runs.
    TVersionTestThread* VersionThread() const { return FThread; }

    TImage* Image;
    QFrame* Bevel;
    QLabel* LbVersion;
    QLabel* LbCopyright;
    TLinkLabel* LbAddr;
    TLinkLabel* LbMail;
    QLabel* LbNewVersion;
    QPushButton* BtnOK;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void BtnOKClick();
    void LbAddrClick();
    void LbMailClick();
    void StartVersionTest();
    void StopVersionTest();
    // On the GUI thread: a successful request stores its time as [Updates]
    // TestDate, a version other than the program's as LastVersion.
    void VersionChecked(const TVersionCheckResult& result);

    TProgOptions* FOptions;
    std::string FVersionAddress;
    bool FNewVersion = false;
    QPointer<TVersionTestThread> FThread;
};

} // namespace tv
