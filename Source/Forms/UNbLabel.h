#pragma once
// The entry panel's painter and the label that paints the panel's gradient
// behind its own text, so that a label repainted alone joins the panel
// without a seam.

#include <QLabel>
#include <QPointer>

namespace tv {

class TGradienter;

// The gradient of the main window's entry panel; made at the first call
// (an application must exist) and freed with the application object.
TGradienter& MainGradienter();

class TNbLabel : public QLabel {
    Q_OBJECT
public:
    // Transparent, right-aligned, of fixed size.
    explicit TNbLabel(QWidget* owner);

    // The widget whose left edge ends the panel; without one only the label
    // itself is filled.
    void SetPanelEdge(QWidget* edge) { FEdge = edge; }

    bool FActive = true;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> FEdge;
};

} // namespace tv
