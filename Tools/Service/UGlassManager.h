#pragma once
// Desktop composition: extending a window's frame into its client area as
// glass. This platform offers none, so Enabled is always false and the
// dialogs paint their band with the gradient.

#include <QColor>

class QWidget;

namespace tv {

class TGlassManager {
public:
    TGlassManager();  // Refresh

    // Enabled := CompositionEnabled().
    void Refresh();
    // Whether the desktop composes windows with glass frames: never here.
    static bool CompositionEnabled();

    // Extends the frame from the window's bottom edge by height pixels.
    // Requires Enabled.
    void ExtendFrame(QWidget* window, int height);
    // Shows every pixel of the colour in the window as glass. Requires Enabled.
    void SetColorKey(QWidget* window, const QColor& color);
    // Ends SetColorKey's effect; harmless when it was never set.
    void ClearLayered(QWidget* window);

    bool Enabled = false;
};

} // namespace tv
