#include "app/boardarea.h"

namespace {

// Room left around the board at the least.
constexpr int margin = 5;

} // namespace

BoardArea::BoardArea(QWidget *parent) : QWidget(parent)
{
    setObjectName("client");
}

void BoardArea::setBoard(QWidget *board)
{
    m_board = board;
    // Below this the table would be cut off.
    setMinimumSize(board->size() + QSize(margin, margin));
}

void BoardArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_board)
        return;
    QRect board = m_board->geometry();
    board.moveCenter(rect().center());
    m_board->move(board.topLeft());
}
