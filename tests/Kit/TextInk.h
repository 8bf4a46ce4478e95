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
// boxes and radio buttons of the window; InkOutside measures one text in
// any box, for a control drawn otherwise.

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

// Glyph pixels of a text, and those of them that fall outside what shows.
struct TInk {
    int Total = 0;
    int Outside = 0;
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

// The ink of text drawn as QPainter::drawText(box, flags, text) draws it in
// the control's font and at its pixel ratio, and how much of it falls
// outside shown (box and shown in the control's coordinates).
inline TInk InkOutside(const QWidget& control, const QRect& box, int flags, const QString& text, const QRect& shown)
{
    TInk ink;
    if (text.isEmpty()) return ink;
    const QFont font = control.font();
    const QFontMetrics metrics(font, &control);
    const int margin = 2 * metrics.height() + 4;
    const QRect area = (metrics.boundingRect(box, flags, text) | box | shown).adjusted(-margin, -margin, margin, margin);
    const qreal ratio = control.devicePixelRatioF();
    QImage image(QSize(int(std::ceil(area.width() * ratio)), int(std::ceil(area.height() * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(qRound(control.logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(control.logicalDpiY() / 0.0254));
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.translate(-area.topLeft());
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(box, flags | Qt::TextDontClip, text);
    }
    // What shows, in the image's device pixels.
    const QRect visible = shown.translated(-area.topLeft());
    const QRect device(QPoint(qRound(visible.left() * ratio), qRound(visible.top() * ratio)),
                       QPoint(qRound((visible.right() + 1) * ratio) - 1, qRound((visible.bottom() + 1) * ratio) - 1));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) >= 64) {
                ++ink.Total;
                if (!device.contains(x, y)) ++ink.Outside;
            }
    }
    return ink;
}

// A text a control draws: the box its style lays it out in, and what
// shows of it (the box, within the control and its ancestors).
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

// The ink the control's text loses, or nothing for a control without one
// it draws as above.
inline bool ControlInk(const QWidget& control, TInk& ink)
{
    TDrawnText drawn;
    if (auto* label = qobject_cast<const QLabel*>(&control)) {
        if (!LabelText(*label, drawn)) return false;
    } else if (auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        if (!ButtonText(*button, drawn)) return false;
    } else {
        return false;
    }
    ink = InkOutside(control, drawn.Box, drawn.Flags, drawn.Text, drawn.Box & ShownRect(control));
    return true;
}

// One line per visible text of the window that loses ink:
// "LbDescript loses 310 of 2051 ink pixels".
inline QStringList InkFaults(const QWidget& window)
{
    QStringList faults;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&window)) continue;
        TInk ink;
        if (ControlInk(*control, ink) && ink.Outside > 0)
            faults << QString("%1 loses %2 of %3 ink pixels").arg(control->objectName()).arg(ink.Outside).arg(ink.Total);
    }
    return faults;
}

} // namespace tv::testkit
