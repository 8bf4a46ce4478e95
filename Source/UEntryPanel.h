#pragma once
// The entry panel on the main window's left: the client area that paints
// the caption gradient behind it, and the colours of the labels on it.

#include <QWidget>

#include <functional>

class QPainter;

namespace tv {

// The client area: paints through the given function and calls the other
// on every resize, where the anchored controls are placed.
class TMainClient : public QWidget {
public:
    TMainClient(QWidget* parent, std::function<void(QPainter&)> paint, std::function<void()> resized);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    std::function<void(QPainter&)> FPaint;
    std::function<void()> FResized;
};

// The gradient of the window's activation from the left edge to right.
void PaintEntryPanel(QPainter& painter, bool active, int right, int height);

// Each label directly on the client takes the caption text colour that reads
// on the gradient behind its middle; the panel runs from 0 to panelRight.
void ColourPanelLabels(QWidget* client, bool active, int panelRight);

} // namespace tv
