#include "UImage.h"

#include <QPainter>
#include <QPaintEvent>

namespace tv {

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& TImage::Canvas()
{
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (FPicture.size() != wanted) {
        FPicture = QImage(wanted, QImage::Format_RGB32);
        FPicture.fill(Qt::black);
    }
    return FPicture;
}

void TImage::Changed()
{
    if (FPicture == FShown) return;
    FShown = FPicture;
    update();
}

void TImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (FShown.isNull())
        painter.fillRect(event->rect(), palette().window());
    else
        painter.drawImage(event->rect(), FShown, event->rect());
}

} // namespace tv
