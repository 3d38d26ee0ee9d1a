#pragma once

class QWidget;

// Gives each caption of a menu (or menu bar), in order, the first letter or digit no caption
// before it took as its access key. Captions that name their key with "&" keep it, so that
// items added later leave the older items' keys as players know them.
void assignAccessKeys(QWidget *menu);
