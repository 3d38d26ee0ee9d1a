#include "app/acepanel.h"

#include "app/tabletexts.h"
#include "widgets/selbutton.h"

#include <QLabel>

AcePanel::AcePanel(QWidget *parent) : PopupPanel("panel_removeace", {10, 120, 329, 121}, parent)
{
    label_removeace =
        boldLine("label_removeace", "Are you sure you want to remove the ACE?", {4, 10, 321, 52});
    label_removeace->setWordWrap(true);
    connect(button("button_removeno", "NO", {32, 69, 130, 36}, "Keeps the ace on the table"),
            &TSelButton::OnClick, this, [this] { emit answered(false); });
    connect(button("button_removeyes", "YES", {171, 69, 134, 36}, "Takes the ace off the table"),
            &TSelButton::OnClick, this, [this] { emit answered(true); });
}

void AcePanel::ask(Card ace)
{
    label_removeace->setText(tabletexts::aceQuestion(ace));
    showInFront();
}
