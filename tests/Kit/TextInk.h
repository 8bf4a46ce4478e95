#pragma once
// The ink a fixed text loses to its control's box: each text is drawn where
// its control draws it, in its font and at the screen's pixel ratio, but
// without the clip, and the glyph pixels that fall outside what the control
// shows of it are counted (pixels at least a quarter covered, as a user
// sees them). Call with the window shown:
//
//     const QStringList faults = testkit::InkFaults(window);
//     QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
//
// InkFaults walks the visible labels (plain text), push buttons, check
// boxes and radio buttons of the window (not of the dialogs it owns), and
// takes what shows as QPainter clips (DrawnShown); InkOutside measures one
// text in any box, for a control drawn otherwise.

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <cmath>

namespace tv::testkit {

// Glyph pixels of a text, those of them that fall outside what shows, and
// the rectangle the ink spans, in the control's coordinates.
struct TInk {
    int Total = 0;
    int Outside = 0;
    QRect Bounds;
};

// The part of the control's rectangle its ancestors let show, in the
// control's coordinates.
inline QRect ShownRect(const QWidget& control)
{
    QRect shown = control.rect();
    QPoint offset;
    for (const QWidget* w = &control; w && !w->isWindow(); w = w->parentWidget()) {
        offset += w->pos();
        shown &= w->parentWidget()->rect().translated(-offset);
    }
    return shown;
}

// Whether a pixel of a drawing is ink: at least a quarter covered.
inline bool IsInk(QRgb pixel) { return qGray(pixel) <= 191; }

// The text drawn as QPainter::drawText(box, flags, text) draws it in the
// control's font and at its pixel ratio, unclipped, black on white (as
// the screen blends it), in an image of area (box and area in the
// control's coordinates).
inline QImage InkImage(const QWidget& control, const QRect& box, int flags, const QString& text, const QRect& area)
{
    const qreal ratio = control.devicePixelRatioF();
    QImage image(QSize(int(std::ceil(area.width() * ratio)), int(std::ceil(area.height() * ratio))),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(qRound(control.logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(control.logicalDpiY() / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-area.topLeft());
    painter.setFont(control.font());
    painter.setPen(Qt::black);
    painter.drawText(box, flags | Qt::TextDontClip, text);
    return image;
}

// The ink of text drawn as InkImage draws it, and how much of it falls
// outside shown (in the control's coordinates).
inline TInk InkOutside(const QWidget& control, const QRect& box, int flags, const QString& text, const QRect& shown)
{
    TInk ink;
    if (text.isEmpty()) return ink;
    const QFontMetrics metrics(control.font(), &control);
    const int margin = 2 * metrics.height() + 4;
    const QRect area = (metrics.boundingRect(box, flags, text) | box | shown).adjusted(-margin, -margin, margin, margin);
    const QImage image = InkImage(control, box, flags, text, area);
    // What shows, in the image's device pixels.
    const qreal ratio = image.devicePixelRatio();
    const QRect visible = shown.translated(-area.topLeft());
    const QRect device(QPoint(qRound(visible.left() * ratio), qRound(visible.top() * ratio)),
                       QPoint(qRound((visible.right() + 1) * ratio) - 1, qRound((visible.bottom() + 1) * ratio) - 1));
    QRect spanned;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (IsInk(line[x])) {
                ++ink.Total;
                if (!device.contains(x, y)) ++ink.Outside;
                spanned |= QRect(x, y, 1, 1);
            }
    }
    ink.Bounds = QRect(QPoint(int(std::floor(spanned.left() / ratio)), int(std::floor(spanned.top() / ratio))),
                       QPoint(int(std::floor(spanned.right() / ratio)), int(std::floor(spanned.bottom() / ratio))))
                     .translated(area.topLeft());
    return ink;
}

// A text a control draws: the box its style lays it out in and clips it
// to, the flags of the drawing and the text.
struct TDrawnText {
    QRect Box;
    int Flags = 0;
    QString Text;
};

// Where a plain-text label draws its text; false for a label of another kind.
inline bool LabelText(const QLabel& label, TDrawnText& drawn)
{
    if (label.text().isEmpty() || !label.pixmap().isNull()) return false;
    if (label.textFormat() == Qt::RichText ||
        (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text())))
        return false;
    QRect box = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0) indent = QFontMetrics(label.font()).horizontalAdvance('x') / 2;
    if (indent > 0) {
        const Qt::Alignment align = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
        if (align & Qt::AlignLeft) box.setLeft(box.left() + indent);
        if (align & Qt::AlignRight) box.setRight(box.right() - indent);
        if (align & Qt::AlignTop) box.setTop(box.top() + indent);
        if (align & Qt::AlignBottom) box.setBottom(box.bottom() - indent);
    }
    int flags = int(QStyle::visualAlignment(label.layoutDirection(), label.alignment()));
    if (label.wordWrap()) flags |= Qt::TextWordWrap;
    flags |= label.buddy() ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    drawn = {box, flags, label.text()};
    return true;
}

// Where a push button, check box or radio button draws its caption.
inline bool ButtonText(const QAbstractButton& button, TDrawnText& drawn)
{
    if (button.text().isEmpty()) return false;
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    if (auto* push = qobject_cast<const QPushButton*>(&button)) {
        if (push->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
    }
    const QStyle* style = button.style();
    int flags = Qt::TextShowMnemonic;
    if (!style->styleHint(QStyle::SH_UnderlineShortcut, &option, &button)) flags |= Qt::TextHideMnemonic;
    if (qobject_cast<const QPushButton*>(&button)) {
        const QRect contents = style->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
        if (!button.icon().isNull()) return false;
        drawn = {contents, flags | Qt::AlignCenter, button.text()};
        return true;
    }
    const bool radio = qobject_cast<const QRadioButton*>(&button) != nullptr;
    if (!radio && !qobject_cast<const QCheckBox*>(&button)) return false;
    const QRect contents =
        style->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, &button);
    flags |= int(QStyle::visualAlignment(button.layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter));
    drawn = {contents, flags, button.text()};
    return true;
}

// Where the control draws its text: labels of plain text, push buttons,
// check boxes and radio buttons; false for another control.
inline bool DrawnTextOf(const QWidget& control, TDrawnText& drawn)
{
    if (auto* label = qobject_cast<const QLabel*>(&control)) return LabelText(*label, drawn);
    if (auto* button = qobject_cast<const QAbstractButton*>(&control)) return ButtonText(*button, drawn);
    return false;
}

// What shows of a drawn text, as QPainter clips it: a text whose advances
// fit its box is not clipped to the box, so a letter's ink past its
// advance shows as far as the control does; a text larger than its box
// shows within the box only.
inline QRect DrawnShown(const QWidget& control, const TDrawnText& drawn)
{
    const QRectF bounds = QFontMetricsF(control.font(), &control).boundingRect(QRectF(drawn.Box), drawn.Flags, drawn.Text);
    const QRect shown = ShownRect(control);
    return QRectF(drawn.Box).contains(bounds) ? shown : drawn.Box & shown;
}

// The ink the control's text loses, or false for a control without a text
// it draws as above.
inline bool ControlInk(const QWidget& control, TInk& ink)
{
    TDrawnText drawn;
    if (!DrawnTextOf(control, drawn)) return false;
    ink = InkOutside(control, drawn.Box, drawn.Flags, drawn.Text, DrawnShown(control, drawn));
    return true;
}

// One line per visible text of the window that loses ink, with the
// rectangles (x, y, width, height) of the ink and of what shows:
// "LbDescript loses 310 of 2051 ink pixels (ink 0,1 318x29 in 0,0 321x26)".
inline QStringList InkFaults(const QWidget& window)
{
    QStringList faults;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (control->window() != &window || !control->isVisibleTo(&window)) continue;
        TDrawnText drawn;
        if (!DrawnTextOf(*control, drawn)) continue;
        const QRect shown = DrawnShown(*control, drawn);
        const TInk ink = InkOutside(*control, drawn.Box, drawn.Flags, drawn.Text, shown);
        auto rect = [](const QRect& r) {
            return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        };
        if (ink.Outside > 0)
            faults << QString("%1 loses %2 of %3 ink pixels (ink %4 in %5)")
                          .arg(control->objectName())
                          .arg(ink.Outside)
                          .arg(ink.Total)
                          .arg(rect(ink.Bounds), rect(shown));
    }
    return faults;
}

} // namespace tv::testkit
