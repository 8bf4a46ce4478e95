#pragma once
// A check box that paints no background of its own, so that the picture
// behind it shows around its text.

#include <QCheckBox>

namespace tv {

class TTranspCheckBox : public QCheckBox {
public:
    // Makes the box on owner, in the place of replaced: its name with
    // "asTransparent" added, its geometry, place in the tab order, text
    // colour, text, checked state and colour, without its background. The
    // replaced box is deleted; the caller keeps the new one where it kept
    // the old. owner must be a widget and replaced given.
    static TTranspCheckBox* Create(QObject* owner, QCheckBox* replaced);

private:
    explicit TTranspCheckBox(QWidget* owner);
};

} // namespace tv
