#include "app/dealpanel.h"

#include "game/dealnumber.h"
#include "widgets/formkit.h"

// The most digits a deal's number has.
constexpr int dealDigits = 10;

DealPanel::DealPanel(QWidget *parent) : PopupPanel("panel_deal", {69, 96, 330, 161}, parent)
{
    boldLine("Label9", "SELECT DEAL", {-1, 10, 327, 24});
    edit_deal = form::edit(this, "edit_deal", {83, 40, 161, 32}, 19, dealDigits);
    connect(edit_deal, &QLineEdit::returnPressed, this, &DealPanel::button_dealplayClick);
    label_dealerror = boldLine("label_dealerror", "", {2, 76, 325, 18}, 12);
    connect(button("button_dealplay", "PLAY", {43, 101, 111, 36},
                   "Starts a game with the deal of this number"),
            &TSelButton::OnClick, this, &DealPanel::button_dealplayClick);
    connect(
        button("button_dealcancel", "CANCEL", {171, 101, 111, 36}, "Closes the deal number entry"),
        &TSelButton::OnClick, this, &DealPanel::hide);
}

void DealPanel::ask()
{
    label_dealerror->clear();
    edit_deal->clear();
    showInFront();
    edit_deal->setFocus();
}

void DealPanel::button_dealplayClick()
{
    const auto number = parseDealNumber(edit_deal->text().trimmed().toStdString());
    if (number)
        emit dealChosen(*number);
    else
        label_dealerror->setText("Enter a whole number from 0 to 4294967295.");
}
