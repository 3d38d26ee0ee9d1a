#include "app/application.h"

#include "widgets/dialogs.h"

#include "quellanconfig.h"

QuellanApplication::QuellanApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromUtf8(quellan::displayName));
}

bool QuellanApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        if (m_dialogs)
            m_dialogs->error(activeWindow(), QString::fromUtf8(error.what()));
    }
    return false;
}
