#include "app/updatepanel.h"

#include "widgets/formkit.h"

UpdatePanel::UpdatePanel(QWidget *parent) : PopupPanel("panel_update", {69, 160, 329, 161}, parent)
{
    boldLine("Label15", "Update Available", {-1, 10, 327, 24});
    boldLine("Label17", "Would you like to update now?", {2, 47, 327, 24}, 16);
    button_updateyes = button("button_updateyes", "UPDATE", {43, 93, 111, 36},
                              "Downloads and starts the new version");
    connect(button_updateyes, &TSelButton::OnClick, this, &UpdatePanel::button_updateyesClick);
    button_updatecancel =
        button("button_updatecancel", "CANCEL", {171, 93, 111, 36}, "Goes on with this version");
    connect(button_updatecancel, &TSelButton::OnClick, this, &UpdatePanel::hide);
    label_update = form::label(this, "label_update", "", {1, 161 - 21, 327, 20}, fonts::sansPx(16),
                               Qt::black, Qt::AlignHCenter | Qt::AlignVCenter);
}

void UpdatePanel::setStatus(const QString &text)
{
    label_update->setText(text);
}

void UpdatePanel::button_updateyesClick()
{
    button_updateyes->hide();
    button_updatecancel->hide();
    emit updateAsked();
}
