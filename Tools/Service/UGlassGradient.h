#pragma once
// The dialogs' band: glass under desktop composition, otherwise the caption
// gradient, with the form's bevel line shown only above the gradient.

#include "UGlassManager.h"
#include "UGradient.h"

#include <QPointer>

namespace tv {

// Colour whose pixels show as glass (red 0x10, green 0x75, blue 0x19).
inline const QColor GlassColorKey{0x10, 0x75, 0x19};

class TGlassGradienter : public TGradienter {
public:
    TGlassGradienter();

    // The image must sit on a form (a window other than itself). Prepares
    // the form once per form window: glass (painted once, kept on activation
    // changes) or the gradient, repainted on every call; the child QFrame
    // named "Bevel" is shown over the gradient and hidden over glass.
    void PaintImage(TImage* image, bool active) override;
    // Reads composition and colours again; the next painting prepares anew.
    void Refresh() override;

    const TGlassManager& GlassManager() const { return FGlassManager; }
    TGlassManager& GlassManager() { return FGlassManager; }

private:
    void MakeGlass(TImage* image, QWidget* form);
    void ShowBevel(QWidget* form);

    TGlassManager FGlassManager;
    bool FPrepared = false;
    QPointer<QWidget> FForm;
    WId FFormHandle = 0;
};

} // namespace tv
