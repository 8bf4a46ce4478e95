#include "UGlassGradient.h"

#include "UException.h"

#include <QFrame>
#include <QPainter>

namespace tv {

TGlassGradienter::TGlassGradienter() = default;

void TGlassGradienter::PaintImage(TImage* image, bool active)
{
    QWidget* form = image->window();
    TV_ASSERT(form != nullptr && form != image, "image.Owner myst be TForm type");
    const WId handle = form->internalWinId();
    if (FPrepared && (form != FForm || handle != FFormHandle)) FPrepared = false;
    if (FGlassManager.Enabled) {
        if (FPrepared) return;
        MakeGlass(image, form);
        ShowBevel(form);
    } else if (!FPrepared) {
        FGlassManager.ClearLayered(form);
        ShowBevel(form);
    }
    if (!FPrepared) {
        FPrepared = true;
        FForm = form;
        FFormHandle = handle;
    }
    if (!FGlassManager.Enabled) TGradienter::PaintImage(image, active);
}

void TGlassGradienter::MakeGlass(TImage* image, QWidget* form)
{
    QImage& canvas = image->Canvas();
    QPainter(&canvas).fillRect(canvas.rect(), GlassColorKey);
    image->Changed();
    FGlassManager.SetColorKey(form, GlassColorKey);
    FGlassManager.ExtendFrame(form, image->height());
}

void TGlassGradienter::ShowBevel(QWidget* form)
{
    for (QFrame* frame : form->findChildren<QFrame*>(Qt::FindDirectChildrenOnly)) {
        if (frame->metaObject() != &QFrame::staticMetaObject || frame->objectName() != "Bevel") continue;
        frame->setVisible(!FGlassManager.Enabled);
        return;
    }
}

void TGlassGradienter::Refresh()
{
    FGlassManager.Refresh();
    FPrepared = false;
    if (!FGlassManager.Enabled) TGradienter::Refresh();
}

} // namespace tv
