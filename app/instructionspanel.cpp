#include "app/instructionspanel.h"

#include "resources/pictures/pictures.h"
#include "widgets/formkit.h"

#include "quellanconfig.h"

InstructionsPanel::InstructionsPanel(QWidget *parent)
    : PopupPanel("panel_instructions", {9, 27, 468, 494}, parent)
{
    const QFont text = fonts::sansPx(16);
    const auto wrapped = Qt::AlignLeft | Qt::AlignTop;
    using form::label;
    using palette::cream;
    label(this, "Label1", QString::fromUtf8(quellan::displayName) + " Instructions",
          {71, 10, 327, 24}, fonts::sansPx(19, true, true), cream, Qt::AlignHCenter | Qt::AlignTop);
    label(this, "Label6",
          "A card that is on the top of the colum and the same suit and of a lower "
          "rank of another card on the top, can be remove. In the example at the top, "
          "the Heart Queen can be removed because of the Heart King.",
          {16, 88, 193, 185}, text, cream, wrapped, true);
    form::image(this, "Image1", {256, 48, 196, 80})->setPicture(&instructionPicture1);
    label(this, "Label2", "Click the Heart Queen to remove it.", {260, 128, 183, 42}, text, cream,
          wrapped, true);
    form::image(this, "Image2", {259, 171, 197, 86})->setPicture(&instructionPicture2);
    label(this, "Label8", "Click any card to move it to the empty space.", {260, 251, 183, 48},
          text, cream, wrapped, true);
    form::image(this, "Image3", {24, 328, 248, 134})->setPicture(&instructionPicture3);
    label(this, "Label7", "Since all cards are dealt, you can remove one of the Aces if you wish.",
          {280, 336, 171, 89}, text, cream, wrapped, true);
    button_letsplay = form::button(this, "button_letsplay", "Let's Play!", {285, 458, 172, 27},
                                   palette::darkGrey);
    button_letsplay->setAccessibleDescription("Closes the instructions");
    connect(button_letsplay, &TSelButton::OnClick, this, &InstructionsPanel::playAsked);
}

void InstructionsPanel::present()
{
    showInFront();
    button_letsplay->setFocus();
}
