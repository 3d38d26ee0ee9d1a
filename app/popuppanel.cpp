#include "app/popuppanel.h"

#include "widgets/formkit.h"

PopupPanel::PopupPanel(const QString &name, QRect geometry, QWidget *parent)
    : TFlatPanel(name, parent)
{
    form::setPanelLook(this, geometry, palette::cream, false);
    hide();
}

TSelButton *PopupPanel::button(const QString &name, const QString &caption, QRect geometry,
                               const QString &description)
{
    TSelButton *button = form::button(this, name, caption, geometry, palette::grey);
    button->setAccessibleDescription(description);
    return button;
}

QLabel *PopupPanel::boldLine(const QString &name, const QString &text, QRect geometry,
                             int pixelSize)
{
    return form::label(this, name, text, geometry, fonts::sansPx(pixelSize, true), palette::cream,
                       Qt::AlignHCenter | Qt::AlignTop);
}
