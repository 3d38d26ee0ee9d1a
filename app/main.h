#pragma once

#include <QMainWindow>

// The game's main window: the card table, the menu bar and the pop-up panels.
class Tmain : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmain(QWidget *parent = nullptr);
};
