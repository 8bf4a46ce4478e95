#include "UMessageBoxForm.h"

#include "UDialogBand.h"
#include "UException.h"
#include "UImage.h"
#include "UQtText.h"
#include "UShortenPath.h"

#include <QApplication>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace tv {

TFormMessageBox* FormMessageBox = nullptr;

namespace {

constexpr int ClientWidth = 364;
constexpr int ClientHeight = 142;
TUnitGradienter MessageBoxGradienter;

QStyle::StandardPixmap IconOfFlags(int icon, bool& known)
{
    known = true;
    switch (icon) {
    case MB_ICONSTOP: return QStyle::SP_MessageBoxCritical;
    case MB_ICONQUESTION: return QStyle::SP_MessageBoxQuestion;
    case MB_ICONEXCLAMATION: return QStyle::SP_MessageBoxWarning;
    case MB_ICONINFORMATION: return QStyle::SP_MessageBoxInformation;
    default: known = false; return QStyle::SP_MessageBoxInformation;
    }
}

// The font of the form at the largest pixel size, down to 8, at which the
// text, wrapped as the label wraps it, is as high as the label at most,
// with a pixel to spare for a descender the hinting lowers.
QFont QueryFont(const QFont& formFont, const QLabel& label, const QString& text)
{
    constexpr int SmallestPixels = 8;
    QFont font = formFont;
    auto fits = [&](const QFont& f) {
        const QRect need = QFontMetrics(f).boundingRect(QRect(0, 0, label.width(), 100000),
                                                        int(label.alignment()) | Qt::TextWordWrap, text);
        return need.height() + 1 <= label.height();
    };
    while (font.pixelSize() > SmallestPixels && !fits(font))
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

} // namespace

TFormMessageBox::TFormMessageBox(QWidget* parent)
    : QDialog(parent, FixedDialogFlags)
{
    SetupFixedDialog(this, "FormMessageBox", ClientWidth, ClientHeight, false);
    setModal(true);
    AddDialogBand(this, Image, Bevel);

    LbQuery = new QLabel(this);
    LbQuery->setObjectName("LbQuery");
    LbQuery->setGeometry(72, 8, 284, 86);
    LbQuery->setAlignment(Qt::AlignCenter);
    LbQuery->setWordWrap(true);
    LbQuery->setTextFormat(Qt::PlainText);

    ImageIcon = new QLabel(this);
    ImageIcon->setObjectName("ImageIcon");
    ImageIcon->setGeometry(12, 24, 48, 48);
    ImageIcon->setAlignment(Qt::AlignCenter);

    // Offsets from the right and bottom edges, giving left 190 and 276. Btn1
    // sits a pixel lower than Btn2 (top 109 against 108) as the box was first
    // drawn; kept so that two-button boxes look as users know them.
    Btn1 = AddBandButton(this, "Btn1", ClientWidth - 190, ClientHeight - 109);
    Btn2 = AddBandButton(this, "Btn2", ClientWidth - 276, ClientHeight - 108);
    setTabOrder(Btn1, Btn2);
    connect(Btn1, &QPushButton::clicked, this, &TFormMessageBox::Btn1Click);
    connect(Btn2, &QPushButton::clicked, this, &TFormMessageBox::Btn2Click);

    MessageBoxGradienter.Attach(this, Image);
    if (!FormMessageBox) FormMessageBox = this;
}

TFormMessageBox::~TFormMessageBox()
{
    if (FormMessageBox == this) FormMessageBox = nullptr;
}

int TFormMessageBox::ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                                    const std::string& firstCaption, const std::string& firstHint,
                                    const std::string& secondCaption, const std::string& secondHint)
{
    if (isVisible()) {
        TFormMessageBox second(parentWidget());
        second.SetMainForm(FMainForm);
        return second.ShowMessageBox(text, caption, flags, firstCaption, firstHint, secondCaption, secondHint);
    }
    // A long text takes a smaller size rather than lose its first and last lines.
    LbQuery->setFont(QueryFont(font(), *LbQuery, ToQ(text)));
    LbQuery->setText(ToQ(text));
    setWindowTitle(ToQ(caption));

    if ((flags & MB_BUTTONMASK) == MB_TWOBUTTONS) {
        Btn1->setText(ToQ(firstCaption));
        Btn1->setToolTip(ToQ(firstHint));
        Btn1->setVisible(true);
        Btn1->setDefault(true);
        Btn2->setText(ToQ(secondCaption));
        Btn2->setToolTip(ToQ(secondHint));
        Btn2->setDefault(false);
        FBtn2Result = 2;
        FCancelButton = Btn2;
        Btn1->setFocus();
    } else {
        Btn1->setVisible(false);
        Btn1->setDefault(false);
        Btn2->setText(ToQ(firstCaption));
        Btn2->setToolTip(ToQ(firstHint));
        Btn2->setDefault(true);
        FBtn2Result = 1;
        FCancelButton = Btn2;
        Btn2->setFocus();
    }

    bool known = false;
    const QStyle::StandardPixmap sp = IconOfFlags(flags & MB_ICONMASK, known);
    if (known)
        ImageIcon->setPixmap(style()->standardIcon(sp, nullptr, this).pixmap(32, 32));
    else
        ImageIcon->clear();

    PlaceOverMainForm();
    return exec();
}

void TFormMessageBox::PlaceOverMainForm()
{
    QRect over;
    QWidget* form = FMainForm ? FMainForm.data() : QApplication::activeWindow();
    if (form && form != this && form->isVisible())
        over = form->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        over = screen->availableGeometry();
    if (!over.isValid()) return;
    QRect box = frameGeometry();
    box.moveCenter(over.center());
    move(box.topLeft());
}

void TFormMessageBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && FCancelButton) {
        FCancelButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormMessageBox::reject() { done(2); }

void TFormMessageBox::Btn1Click() { done(1); }

void TFormMessageBox::Btn2Click() { done(FBtn2Result); }

namespace {

std::string PathLines(const std::string& text, const QFontMetrics& metrics, int limit)
{
    const auto width = [&metrics](const std::string& s) { return metrics.horizontalAdvance(ToQ(s)); };

    std::size_t pos = 0;
    const auto nextPiece = [&text, &pos]() {
        const std::size_t end = text.find_first_of("\\/", pos);
        const std::size_t stop = end == std::string::npos ? text.size() : end + 1;
        std::string piece = text.substr(pos, stop - pos);
        pos = stop;
        return piece;
    };

    std::string result;
    std::string pending;
    for (;;) {
        std::string line;
        while (pos < text.size()) {
            if (!line.empty() && width(line + pending) >= limit) break;
            line += pending;
            pending = nextPiece();
        }
        if (pos < text.size()) {
            result += line + "\r\n";
            continue;
        }
        if (width(line + pending) < limit)
            result += line + pending;
        else
            result += line + "\r\n" + pending;
        return result;
    }
}

std::string WordBreaks(const std::string& text, const QFontMetrics& metrics, int limit)
{
    const QString in = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString out;
    QString word;
    for (const QChar c : in) {
        if (c == ' ') {
            word.clear();
        } else if (metrics.horizontalAdvance(word + c) >= limit) {
            out += ' ';
            word.clear();
        }
        if (c != ' ') word += c;
        out += c;
    }
    return out.toStdString();
}

std::string CharLines(const std::string& text, const QFontMetrics& metrics, int limit)
{
    std::string lines;
    QString piece;
    for (const QChar c : QString::fromStdString(text)) {
        if (piece.isEmpty() || metrics.horizontalAdvance(piece + c) < limit) {
            piece += c;
            continue;
        }
        lines += piece.toStdString() + "\r\n";
        piece = c;
    }
    return lines + piece.toStdString();
}

} // namespace

std::string FitToMessageBox(const std::string& text, TMessageFit how)
{
    if (!FormMessageBox) {
        TV_ASSERT(how != TMessageFit::PathLines, "Not Assigned Message Box");
        return text;
    }
    const QFont font = FormMessageBox->LbQuery->font();
    const QFontMetrics metrics(font);
    const int limit = FormMessageBox->LbQuery->width();
    switch (how) {
    case TMessageFit::PathLines: return PathLines(text, metrics, limit);
    case TMessageFit::WordBreaks: return WordBreaks(text, metrics, limit);
    case TMessageFit::CharLines: return CharLines(text, metrics, limit);
    case TMessageFit::ShortPath: return ShortenPath(text, font, limit);
    }
    return text;
}

TMessageBoxMessages::TMessageBoxMessages(TFormMessageBox* form) : FForm(form)
{
    TV_ASSERT(form != nullptr, "Not Assigned Message Box");
}

int TMessageBoxMessages::ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                                        const std::string& firstCaption, const std::string& firstHint,
                                        const std::string& secondCaption, const std::string& secondHint)
{
    if (!FForm) return 2;
    return FForm->ShowMessageBox(text, caption, flags, firstCaption, firstHint, secondCaption, secondHint);
}

} // namespace tv
