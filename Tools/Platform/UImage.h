#pragma once
// A control that shows a picture of its own size, drawn by its owner
// (the band at the bottom of the dialogs).

#include <QImage>
#include <QWidget>

namespace tv {

class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);

    // The picture shown, as large as the control. Returns it resized (and
    // cleared) when the control's size changed since the last drawing.
    QImage& Canvas();

    // Shows the picture drawn into Canvas() when it differs from the one
    // shown before.
    void Changed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage FPicture;
    QImage FShown;
};

} // namespace tv
