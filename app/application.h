#pragma once

#include <QApplication>

class Dialogs;

// The application object. An error that escapes an event handler ends up here: it is shown
// in an error box and the program goes on with the next event.
class QuellanApplication : public QApplication {
    Q_OBJECT
public:
    QuellanApplication(int &argc, char **argv);

    void setDialogs(Dialogs *dialogs) { m_dialogs = dialogs; }
    bool notify(QObject *receiver, QEvent *event) override;

private:
    Dialogs *m_dialogs = nullptr;
};
