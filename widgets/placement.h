#pragma once

class QWidget;

// Shows a secondary window in front of the others and gives it the focus. A window that is
// not up yet is first centred over `owner` (over the screen when null); one the player has
// placed stays where it is. A minimised window comes back.
void showCentredOver(QWidget *window, QWidget *owner);
