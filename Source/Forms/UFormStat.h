#pragma once
// The totals window: kinds of goods, quantity, packages and value over the
// whole stock book.

#include <QDialog>

#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace tv {

class TImage;
class TStore;

// The store's totals as texts; true when they could be computed. Totals
// beyond 32 bits show the "Sum calculation" box and leave the four texts
// empty; other errors of the stock book pass to the caller.
bool GetShownTotals(TStore& store, std::string& packages, std::string& quantity, std::string& value,
                    std::string& count);

class TFormStat : public QDialog {
    Q_OBJECT

public:
    // store must outlive the form.
    explicit TFormStat(TStore* store, QWidget* parent = nullptr);

    // Computes the totals into the value labels; true when they could be.
    // Totals beyond 32 bits show the "Sum calculation" box and leave the
    // labels empty; other errors of the stock book pass to the caller.
    // The current goods record stays.
    bool Refresh();

    // Caption, hint and the caption labels from the current text table.
    void ApplyLanguage();

    TImage* Image;
    QFrame* Bevel;
    QLabel* LbNamesText;
    QLabel* LbNames;
    QLabel* LbWeightText;
    QLabel* LbWeight;
    QLabel* LbCountText;
    QLabel* LbCount;
    QLabel* LbSumText;
    QLabel* LbSum;
    QPushButton* BtnOK;

private:
    void FormCreate();
    void BtnOKClick();

    TStore* FStore;
};

} // namespace tv
