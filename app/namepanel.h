#pragma once

#include "app/popuppanel.h"

class QLineEdit;

// The name entry: every start offers it, and Options › Change Name brings it back. It keeps
// what was typed before a CANCEL for the next time.
class NamePanel : public PopupPanel {
    Q_OBJECT
public:
    explicit NamePanel(QWidget *parent);

    void setName(const QString &name);
    // Shows the entry in front with its name selected, so that typing replaces it.
    void ask();

signals:
    // DONE: the name as typed, an empty one included.
    void nameChosen(const QString &name);

private:
    void button_namedoneClick();

    QLineEdit *edit_aname;
};
