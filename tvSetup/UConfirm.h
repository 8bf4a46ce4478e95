#pragma once
// The question before an existing file is replaced: Yes, Yes for all, No,
// No for all; the "for all" answers hold until the group answer is reset.

#include <QDialog>

#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace tv {

class TImage;

// The dialog's texts; the wizard sets them on every language choice.
extern std::string stConfirmFormCaption;
extern std::string stFileExists;
extern std::string stReplaceQuestion;
extern std::string stBtnYes;
extern std::string stBtnYesToAll;
extern std::string stBtnNo;
extern std::string stBtnNoToAll;

struct TSetupText;

// The seven texts from a language's record.
void SetConfirmTexts(const TSetupText& text);

class TConfirmForm : public QDialog {
public:
    // The seven texts must be set before.
    explicit TConfirmForm(QWidget* parent = nullptr);

    // True when the file may be written: at once when it does not exist or
    // after Yes for all, false at once after No for all, otherwise the
    // user's answer (closing the window answers No).
    bool CanWriteFile(const std::string& fileName);
    // Forgets a "for all" answer.
    void ResetGroupMode();
    int GroupMode() const { return FGroupMode; }

    // Caption and button texts from the seven texts, and the question in
    // the size at which its three lines fit.
    void ApplyTexts();

    // Modal results of the buttons.
    static constexpr int mrYes = 6;
    static constexpr int mrNo = 7;
    static constexpr int mrNoToAll = 9;
    static constexpr int mrYesToAll = 10;

    QLabel* LbQuestion;
    QFrame* Bevel;
    TImage* Image;
    QPushButton* BtnYes;
    QPushButton* BtnYesToAll;
    QPushButton* BtnNo;
    QPushButton* BtnNoToAll;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    QPushButton* AddButton(const char* name, int left, int width, int result);

    int FGroupMode = 0;
};

extern TConfirmForm* ConfirmForm;

} // namespace tv
