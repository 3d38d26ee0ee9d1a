#include "app/abandonpanel.h"

#include "widgets/selbutton.h"

#include <QKeyEvent>
#include <QLabel>

AbandonPanel::AbandonPanel(QWidget *parent)
    : PopupPanel("panel_abandon", {10, 120, 329, 121}, parent)
{
    boldLine("label_abandon", "Abandon this game? It counts as played.", {4, 10, 321, 52})
        ->setWordWrap(true);
    connect(button("button_abandonno", "NO", {32, 69, 130, 36}, "Keeps playing this game"),
            &TSelButton::OnClick, this, [this] { answer(false); });
    connect(
        button("button_abandonyes", "YES", {171, 69, 134, 36}, "Gives this game up for a new one"),
        &TSelButton::OnClick, this, [this] { answer(true); });
    setFocusPolicy(Qt::StrongFocus);
}

void AbandonPanel::ask(std::function<void()> abandon)
{
    m_abandon = std::move(abandon);
    showInFront();
    setFocus();
}

void AbandonPanel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Y:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return answer(true);
    case Qt::Key_N:
    case Qt::Key_Escape:
        return answer(false);
    default:
        PopupPanel::keyPressEvent(event);
    }
}

void AbandonPanel::answer(bool yes)
{
    hide();
    parentWidget()->setFocus(); // keys play on the table again
    if (yes && m_abandon)
        std::exchange(m_abandon, nullptr)();
}
