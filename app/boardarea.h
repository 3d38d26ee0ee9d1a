#pragma once

#include <QWidget>

// The main window's client area: it holds the board, which keeps its size, in its middle
// however the window grows, and it does not get smaller than the board.
class BoardArea : public QWidget {
    Q_OBJECT
public:
    explicit BoardArea(QWidget *parent);

    // The board; its size is set, and the area follows it.
    void setBoard(QWidget *board);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_board = nullptr;
};
