#include "app/namepanel.h"

#include "app/playername.h"
#include "widgets/formkit.h"

#include <QLineEdit>

NamePanel::NamePanel(QWidget *parent) : PopupPanel("panel_name", {69, 96, 330, 161}, parent)
{
    boldLine("Label5", "ENTER YOUR NAME", {-1, 10, 327, 24});
    edit_aname = form::edit(this, "edit_aname", {83, 52, 161, 32}, 19, typedNameLength);
    connect(button("button_namedone", "DONE", {43, 101, 111, 36}, "Keeps the name entered"),
            &TSelButton::OnClick, this, &NamePanel::button_namedoneClick);
    connect(button("button_namecancel", "CANCEL", {171, 101, 111, 36},
                   "Closes the name entry, keeping the name as it was"),
            &TSelButton::OnClick, this, &NamePanel::hide);
}

void NamePanel::setName(const QString &name)
{
    edit_aname->setText(name);
}

void NamePanel::ask()
{
    showInFront();
    edit_aname->setFocus();
    edit_aname->selectAll();
}

void NamePanel::button_namedoneClick()
{
    emit nameChosen(edit_aname->text());
    hide();
}
