#include "UTranspCheckBox.h"

#include "UException.h"

namespace tv {

TTranspCheckBox::TTranspCheckBox(QWidget* owner) : QCheckBox(owner) {}

TTranspCheckBox* TTranspCheckBox::Create(QObject* owner, QCheckBox* replaced)
{
    TV_ASSERT(owner != nullptr, "Not assigned AOwner param");
    TV_ASSERT(replaced != nullptr, "Not assigned replaced param");
    auto* parent = qobject_cast<QWidget*>(owner);
    TV_ASSERT(parent != nullptr, "AOwner param not is TWinControl");
    auto* box = new TTranspCheckBox(parent);
    box->setObjectName(replaced->objectName() + "asTransparent");
    box->setGeometry(replaced->geometry());
    QWidget::setTabOrder(replaced, box);
    box->setFont(replaced->font());
    box->setPalette(replaced->palette());
    box->setBackgroundRole(replaced->backgroundRole());
    box->setText(replaced->text());
    box->setChecked(replaced->isChecked());
    box->setAutoFillBackground(false);
    box->setVisible(!replaced->isHidden());
    delete replaced;
    return box;
}

} // namespace tv
