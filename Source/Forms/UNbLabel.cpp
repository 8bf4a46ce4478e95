#include "UNbLabel.h"

#include "UGradient.h"

#include <QCoreApplication>
#include <QPainter>

#include <memory>

namespace tv {

namespace {

std::unique_ptr<TGradienter>& Gradienter()
{
    static std::unique_ptr<TGradienter> gradienter;
    return gradienter;
}

void FreeGradienter() { Gradienter().reset(); }

} // namespace

TGradienter& MainGradienter()
{
    auto& g = Gradienter();
    if (!g) {
        g = std::make_unique<TGradienter>();
        qAddPostRoutine(FreeGradienter);
    }
    return *g;
}

TNbLabel::TNbLabel(QWidget* owner)
    : QLabel(owner)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TNbLabel::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        const int right = FEdge ? FEdge->x() - x() : width();
        MainGradienter().PaintRect(painter, FActive, QRect(-x(), 0, right + x(), height()));
    }
    QLabel::paintEvent(event);
}

} // namespace tv
