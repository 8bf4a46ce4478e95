#include "UEntryPanel.h"

#include "UBoxFont.h"
#include "UGradient.h"
#include "UIntEdit.h"
#include "UMoneyEdit.h"
#include "UNbLabel.h"
#include "UQtText.h"
#include "UStoreData.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace tv {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

// Where the entry panel's controls stand in it. An edit stands under the
// label it names; a negative top counts from the panel's bottom edge. A
// width of 0 keeps the control's own size, a height of 0 is a line of the
// window's font.
struct TEntryPlace {
    const char* Name;
    const char* Under;
    int Left, Top, Width, Height;
};

constexpr TEntryPlace EntryPlaces[] = {
    {"LbCode", nullptr, 12, 12, 230, 0},
    {"LbName", nullptr, 12, 49, 230, 0},
    {"LbCost", nullptr, 12, 86, 230, 0},
    {"LbWeight", nullptr, 12, 124, 230, 0},
    {"LbPCount", nullptr, 12, 162, 230, 0},
    {"LbMoves", nullptr, 12, 208, 247, 0},
    {"LbPlus", nullptr, 229, 137, 30, 21},
    {"LbCostNote", nullptr, 96, 103, 0, 0},
    {"LbWeightNote", nullptr, 96, 142, 0, 0},
    {"LbPCountNote", nullptr, 95, 179, 0, 0},
    {"EditCode", "LbCode", 0, 0, 80, 21},
    {"EditName", "LbName", 0, 0, WideEditWidth, 21},
    {"EditCost", "LbCost", 0, 0, 80, 21},
    {"EditWeight", "LbWeight", 0, 0, 80, 21},
    {"EditPCount", "LbPCount", 0, 0, 80, 21},
    {"EditNote", nullptr, 11, -86, WideEditWidth, 21},
    {"LbMoveNote", nullptr, 113, -100, 146, 13},
    {"LbSumTitle", nullptr, 113, -55, 146, 13},
    {"LbSum", nullptr, 113, -42, 146, 19},
};

// The place of the control of that name; a name the table lacks fails the build.
consteval const TEntryPlace& EntryPlace(std::string_view name)
{
    for (const TEntryPlace& place : EntryPlaces)
        if (name == place.Name) return place;
    throw std::logic_error("no place of that name");
}

// The longest name a store gives goods in the name's 40 letters: the name
// and note edits show it whole.
const char* const ReferenceName = "Шоколад молочний з горіхами та родзинкам";

// The sign's place: its right edge, top and height, and its narrowest width.
constexpr const TEntryPlace& PlusPlace = EntryPlace("LbPlus");
// Room beside the sign's widest text.
constexpr int PlusMargin = 2;

// The caption gradient may run from dark to light, so each label takes the
// caption text colour that reads on the gradient behind its middle: the
// window text on a light part, the highlighted text on a dark one, each in
// the palette of the window's activation.
void ColourPanelLabels(QWidget* panel, bool active, int panelRight)
{
    const QPalette p = QApplication::palette();
    TGradienter& g = MainGradienter();
    const QColor start = active ? g.ActiveStart() : g.InactiveStart();
    const QColor end = active ? g.ActiveEnd() : g.InactiveEnd();
    const int right = std::max(1, panelRight);
    for (QLabel* l : panel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        const double t = std::clamp((l->x() + l->width() / 2.0) / right, 0.0, 1.0);
        const double lightness = (1 - t) * start.lightness() + t * end.lightness();
        const QColor c = lightness >= 128 ? p.color(active ? QPalette::Active : QPalette::Inactive, QPalette::WindowText)
                                          : p.color(active ? QPalette::Active : QPalette::Inactive,
                                                    QPalette::HighlightedText);
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, c);
        l->setPalette(lp);
    }
}

} // namespace

TMainClient::TMainClient(QWidget* parent, std::function<void(QPainter&)> paint, std::function<void()> resized)
    : QWidget(parent), FPaint(std::move(paint)), FResized(std::move(resized))
{
}

void TMainClient::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FPaint(painter);
}

void TMainClient::resizeEvent(QResizeEvent*) { FResized(); }

void PaintEntryPanel(QPainter& painter, bool active, int right, int height)
{
    MainGradienter().PaintRect(painter, active, QRect(0, 0, right, height));
}

TEntryPanel::TEntryPanel(QWidget* client, const QFont& amountFont)
    : QWidget(client)
{
    setObjectName("EntryPanel");
    resize(client->size());
    // Under the client's other controls, so the status bar keeps its input.
    lower();
    ComputeReadOnlyColor();
    LbCode = MakeLabel(this, "LbCode");
    LbName = MakeLabel(this, "LbName");
    LbCost = MakeLabel(this, "LbCost");
    LbWeight = MakeLabel(this, "LbWeight");
    LbPCount = MakeLabel(this, "LbPCount");
    LbMoves = MakeLabel(this, "LbMoves");
    LbMoves->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LbPlus = MakeLabel(this, "LbPlus");
    LbPlus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont plus = LbPlus->font();
    plus.setPixelSize(17);
    plus.setBold(true);
    LbPlus->setFont(plus);
    LbCostNote = MakeLabel(this, "LbCostNote");
    LbWeightNote = MakeLabel(this, "LbWeightNote");
    LbPCountNote = MakeLabel(this, "LbPCountNote");
    for (QLabel* l : {LbCostNote, LbWeightNote, LbPCountNote}) l->hide();

    auto edit = [](TLocalDbEdit* edit, const char* name, int maxLength) {
        edit->setObjectName(name);
        edit->setMaxLength(maxLength);
        return edit;
    };
    auto digits = [](TDigitsEdit* edit, const char* name, int count) {
        edit->setObjectName(name);
        edit->SetDigits(count);
        return edit;
    };
    EditCode = digits(new TStrIntEdit(this), "EditCode", CodeDigits);
    EditName = edit(new TStringEdit(this), "EditName", 40);
    EditCost = edit(new TMoneyEdit(this), "EditCost", 13);
    EditWeight = edit(new TMoneyEdit(this), "EditWeight", 13);
    EditPCount = digits(new TIntEdit(this), "EditPCount", 10);
    EditNote = edit(new TStringEdit(this), "EditNote", 40);
    for (TLocalDbEdit* e : {EditCost, EditWeight, EditPCount}) e->setFont(amountFont);
    // The edit's text room: its frame and QLineEdit's 2 pixels each side off.
    const int frame = EditName->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, EditName);
    const QFont wide = FitFontToWidth(font(), {QString::fromUtf8(ReferenceName)}, WideEditWidth - 2 * frame - 4);
    for (TLocalDbEdit* e : {EditName, EditNote}) e->setFont(wide);

    auto nb = [this](const char* name) {
        auto* label = new TNbLabel(this);
        label->setObjectName(name);
        return label;
    };
    LbMoveNote = nb("LbMoveNote");
    LbSumTitle = nb("LbSumTitle");
    LbSum = nb("LbSum");
    QFont big = LbSum->font();
    big.setPixelSize(16);
    big.setBold(true);
    LbSum->setFont(big);
    Place(false);
}

void TEntryPanel::Place(bool bottomOnly)
{
    const int lineHeight = LinePixels(window()->font());
    auto find = [this](const char* name) {
        return findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    };
    for (const TEntryPlace& place : EntryPlaces) {
        if (bottomOnly && place.Top >= 0) continue;
        QWidget* control = find(place.Name);
        QPoint at(place.Left, place.Top < 0 ? height() + place.Top : place.Top);
        if (place.Under) {
            const QWidget* label = find(place.Under);
            at = QPoint(label->x() - 1, label->y() + label->height() + 1);
        }
        control->move(at);
        if (place.Width > 0) control->resize(place.Width, place.Height > 0 ? place.Height : lineHeight);
    }
}

void TEntryPanel::FitCaptions()
{
    // Their boxes are a Tahoma line high, less than the lines of many faces;
    // both take one size.
    const QFont fitted = FitFontToBox(font(), {LbMoveNote->text(), LbSumTitle->text()}, LbMoveNote->size(),
                                      int(LbMoveNote->alignment()), LbMoveNote->devicePixelRatioF());
    for (TNbLabel* l : {LbMoveNote, LbSumTitle}) l->setFont(fitted);
}

void TEntryPanel::ShowGoods(const TTableStore& g)
{
    const std::pair<QWidget*, const TField*> pairs[] = {{EditCode, &g.Code},     {EditName, &g.Name},
                                                        {EditCost, &g.Cost},     {EditWeight, &g.Weight},
                                                        {EditPCount, &g.PCount}, {LbSum, &g.Sum}};
    for (auto [control, field] : pairs) {
        const QString text = ToQ(field->GetText());
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            if (edit->text() != text) edit->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(control); label->text() != text) {
            label->setText(text);
        }
    }
}

void TEntryPanel::Clear()
{
    EditCode->setText(QString());
    EditName->setText(QString());
    EditCost->setText("0.00");
    EditWeight->setText("0.00");
    EditPCount->setText("0");
    LbSum->setText("0.00");
}

void TEntryPanel::SetWritable(unsigned writable)
{
    const std::pair<TLocalDbEdit*, unsigned> edits[] = {{EditCode, peCode},     {EditName, peName},
                                                        {EditCost, peCost},     {EditWeight, peWeight},
                                                        {EditPCount, pePCount}, {EditNote, peNote}};
    for (auto [edit, bit] : edits) {
        if (writable & bit)
            UnlockEdit(edit);
        else
            LockEdit(edit);
    }
}

void TEntryPanel::ShowSign(TPlusSign sign)
{
    LbPlus->setText(sign == TPlusSign::Plus ? "(+)" : sign == TPlusSign::Minus ? "( - )" : "");
    // The sign keeps its right edge and widens where the font is wider.
    const int plusWidth = std::max(PlusPlace.Width, LbPlus->fontMetrics().horizontalAdvance("( - )") + PlusMargin);
    LbPlus->setGeometry(PlusPlace.Left + PlusPlace.Width - plusWidth, PlusPlace.Top, plusWidth, PlusPlace.Height);
}

void TEntryPanel::ComputeReadOnlyColor()
{
    const QPalette p = QApplication::palette();
    const QColor w = p.color(QPalette::Active, QPalette::Base);
    const QColor h = p.color(QPalette::Active, QPalette::Highlight);
    auto mix = [](int hc, int wc) { return hc + (wc - hc) * 70 / 100; };
    FReadOnlyColor = std::uint32_t(mix(h.red(), w.red())) | std::uint32_t(mix(h.green(), w.green())) << 8 |
                     std::uint32_t(mix(h.blue(), w.blue())) << 16;
    if (!EditCode) return;
    for (TLocalDbEdit* e : Edits())
        if (e->isReadOnly()) LockEdit(e);
}

QColor TEntryPanel::ReadOnlyColor() const
{
    return QColor(int(FReadOnlyColor & 0xFF), int(FReadOnlyColor >> 8 & 0xFF), int(FReadOnlyColor >> 16 & 0xFF));
}

void TEntryPanel::LockEdit(TLocalDbEdit* edit)
{
    edit->setReadOnly(true);
    QPalette p = edit->palette();
    if (p.color(QPalette::Base) != ReadOnlyColor()) {
        p.setColor(QPalette::Base, ReadOnlyColor());
        edit->setPalette(p);
    }
}

void TEntryPanel::UnlockEdit(TLocalDbEdit* edit)
{
    edit->setReadOnly(false);
    const QColor window = QApplication::palette().color(QPalette::Base);
    QPalette p = edit->palette();
    if (p.color(QPalette::Base) != window) {
        p.setColor(QPalette::Base, window);
        edit->setPalette(p);
    }
}

void TEntryPanel::ColourLabels(bool active, int panelRight) { ColourPanelLabels(this, active, panelRight); }

void TEntryPanel::SetActive(bool active)
{
    for (TNbLabel* l : {LbMoveNote, LbSumTitle, LbSum}) l->FActive = active;
}

void TEntryPanel::SetPanelEdge(QWidget* edge)
{
    for (TNbLabel* l : {LbMoveNote, LbSumTitle, LbSum}) l->SetPanelEdge(edge);
}

std::array<TLocalDbEdit*, 6> TEntryPanel::Edits() const
{
    return {EditCode, EditName, EditCost, EditWeight, EditPCount, EditNote};
}

} // namespace tv
