// Draws the wizard's picture (a JPEG of 600 x 350, written with libjpeg) and
// the program's icon (a PNG of 48 x 48) at build time:
//   make_picture <wizard.jpg> <icon.png>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int Width = 600;
constexpr int Height = 350;
constexpr int PanelWidth = 250;

// The closed outline of four corners.
QPainterPath Face(QPointF a, QPointF b, QPointF c, QPointF d)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.lineTo(d);
    path.closeSubpath();
    return path;
}

// A carton: front face, lighter top, darker side, and a strip of tape.
void DrawBox(QPainter& p, QRectF front, QColor colour)
{
    const qreal depth = front.width() * 0.22;
    const QPainterPath top = Face(front.topLeft(), {front.left() + depth, front.top() - depth * 0.6},
                                  {front.right() + depth, front.top() - depth * 0.6}, front.topRight());
    const QPainterPath side = Face(front.topRight(), {front.right() + depth, front.top() - depth * 0.6},
                                   {front.right() + depth, front.bottom() - depth * 0.6}, front.bottomRight());
    p.setPen(QPen(colour.darker(170), 1));
    p.setBrush(colour);
    p.drawRect(front);
    p.setBrush(colour.lighter(125));
    p.drawPath(top);
    p.setBrush(colour.darker(130));
    p.drawPath(side);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE8, 0xD8, 0xB0, 200));
    p.drawRect(QRectF(front.center().x() - front.width() * 0.08, front.top(), front.width() * 0.16,
                      front.height() * 0.45));
    p.setBrush(QColor(255, 255, 255, 210));
    p.drawRect(QRectF(front.left() + front.width() * 0.12, front.bottom() - front.height() * 0.32,
                      front.width() * 0.3, front.height() * 0.18));
}

QImage DrawWizardPicture()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The page behind the texts stays white: the wizard's white check box
    // must not stand out from it.
    p.fillRect(image.rect(), Qt::white);

    QLinearGradient panel(0, 0, PanelWidth, Height);
    panel.setColorAt(0, QColor(0x1F, 0x4E, 0x79));
    panel.setColorAt(1, QColor(0x0E, 0x2A, 0x47));
    p.fillRect(0, 0, PanelWidth, Height, panel);
    QRadialGradient light(70, 60, 220);
    light.setColorAt(0, QColor(255, 255, 255, 60));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(0, 0, PanelWidth, Height, light);

    // The rack: two uprights and three shelves.
    const QColor steel(0x9F, 0xB3, 0xC8);
    const int rackLeft = 28;
    const int rackRight = 222;
    const int shelves[] = {110, 185, 260};
    p.setPen(Qt::NoPen);
    p.setBrush(steel.darker(115));
    p.drawRect(rackLeft, 40, 7, 258);
    p.drawRect(rackRight - 7, 40, 7, 258);
    for (const int y : shelves) {
        p.setBrush(steel);
        p.drawRect(rackLeft - 4, y, rackRight - rackLeft + 8, 6);
        p.setBrush(steel.darker(140));
        p.drawRect(rackLeft - 4, y + 6, rackRight - rackLeft + 8, 2);
    }
    const QColor card(0xC8, 0x8E, 0x4E);
    const QColor darkCard(0xA8, 0x6E, 0x3A);
    DrawBox(p, QRectF(44, 66, 44, 44), card);
    DrawBox(p, QRectF(98, 80, 34, 30), darkCard);
    DrawBox(p, QRectF(142, 60, 52, 50), card.lighter(108));
    DrawBox(p, QRectF(42, 150, 56, 35), darkCard);
    DrawBox(p, QRectF(108, 138, 40, 47), card);
    DrawBox(p, QRectF(158, 155, 34, 30), QColor(0x3E, 0x8E, 0x6A));
    DrawBox(p, QRectF(46, 224, 40, 36), card.lighter(110));
    DrawBox(p, QRectF(94, 214, 50, 46), card);
    DrawBox(p, QRectF(152, 230, 30, 30), darkCard);

    // The floor with a pallet and a crate beside the rack.
    p.setBrush(QColor(0x0A, 0x20, 0x36));
    p.drawRect(0, 298, PanelWidth, Height - 298);
    p.setBrush(QColor(0xB5, 0x94, 0x62));
    p.drawRect(150, 322, 74, 6);
    p.drawRect(154, 328, 8, 6);
    p.drawRect(183, 328, 8, 6);
    p.drawRect(212, 328, 8, 6);
    DrawBox(p, QRectF(156, 288, 40, 34), card);
    DrawBox(p, QRectF(40, 300, 46, 34), darkCard);

    // A thin line parts the picture from the page.
    p.setBrush(QColor(0xC9, 0xD6, 0xE3));
    p.drawRect(PanelWidth, 0, 2, Height);
    p.end();
    return image;
}

QImage DrawIcon()
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(1, 1, 46, 46), 9, 9);
    QLinearGradient back(0, 0, 0, 48);
    back.setColorAt(0, QColor(0x2A, 0x62, 0x95));
    back.setColorAt(1, QColor(0x12, 0x33, 0x57));
    p.fillPath(plate, back);
    DrawBox(p, QRectF(9, 17, 24, 22), QColor(0xD0, 0x96, 0x55));
    p.end();
    return image;
}

bool WriteJpeg(const QImage& picture, const char* fileName)
{
    std::FILE* out = std::fopen(fileName, "wb");
    if (out == nullptr)
        return false;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_picture <wizard.jpg> <icon.png>\n");
        return 2;
    }
    if (!WriteJpeg(DrawWizardPicture(), argv[1]) || !DrawIcon().save(argv[2], "PNG")) {
        std::fprintf(stderr, "make_picture: cannot write the pictures\n");
        return 1;
    }
    return 0;
}
