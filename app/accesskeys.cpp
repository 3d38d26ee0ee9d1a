#include "app/accesskeys.h"

#include <QAction>
#include <QWidget>

void assignAccessKeys(QWidget *menu)
{
    QString taken;
    for (const QAction *action : menu->actions()) {
        if (const auto amp = action->text().indexOf(u'&');
            amp >= 0 && amp + 1 < action->text().size())
            taken += action->text()[amp + 1].toLower();
    }
    for (QAction *action : menu->actions()) {
        QString caption = action->text();
        if (caption.contains(u'&'))
            continue;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar key = caption[i].toLower();
            if (key.isLetterOrNumber() && !taken.contains(key)) {
                taken += key;
                action->setText(caption.insert(i, u'&'));
                break;
            }
        }
    }
}
