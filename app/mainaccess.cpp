// The main window without a mouse: Undo, play by keys, and the names and descriptions an
// assistive tool reads out for the table's parts.
#include "app/main.h"
#include "app/tabletexts.h"
#include "widgets/flatpanel.h"
#include "widgets/image.h"
#include "widgets/selbutton.h"

#include <QAccessible>
#include <QAction>
#include <QKeyEvent>
#include <QLabel>

using tabletexts::columnDescription;
using tabletexts::columnName;
using tabletexts::spokenName;

namespace {

// Gives the part its name and description, and tells assistive tools of each that changed.
void describe(QWidget *part, const QString &name, const QString &description)
{
    if (part->accessibleName() != name) {
        part->setAccessibleName(name);
        QAccessibleEvent changed(part, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    if (part->accessibleDescription() != description) {
        part->setAccessibleDescription(description);
        QAccessibleEvent changed(part, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

} // namespace

void Tmain::Undo1Click()
{
    if (!m_table.undo())
        return;
    tableChanged();
    showTable();
    showAceQuestion();
}

bool Tmain::tableKey(const QKeyEvent *key)
{
    // Keys with Ctrl or Alt belong to the menus. A key held down plays once, not on and on.
    if (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return false;
    if (key->isAutoRepeat())
        return true;
    const int code = key->key();
    if (code >= Qt::Key_1 && code <= Qt::Key_4) {
        image_col4Click(columnImage(code - Qt::Key_0));
    } else if (code == Qt::Key_D || code == Qt::Key_Space) {
        image_dealClick();
    } else if (code == Qt::Key_Y || code == Qt::Key_N) {
        if (panel_removeace->isVisible())
            code == Qt::Key_Y ? button_removeyesClick() : button_removenoClick();
    } else if (code == Qt::Key_Return || code == Qt::Key_Enter) {
        if (!m_table.gameactive())
            button_startClick();
    } else {
        return false;
    }
    return true;
}

void Tmain::describeTable()
{
    for (int c = 1; c <= GameTable::columnCount; ++c) {
        describe(columnImage(c), columnName(c, m_table.column(c)),
                 columnDescription(m_table.column(c)));
    }
    describe(image_deal, QString("Deal pile, %1 cards left").arg(m_table.cardsLeft()),
             m_table.gameactive() && !m_table.deckExhausted() ? "Deals one card onto each column"
                                                              : "Nothing to deal");
    const Card played = m_table.played();
    describe(image_played,
             played.isCard() ? "Discard pile: " + spokenName(played)
                             : QString("Discard pile, empty"),
             "The last card played off the table");
    describe(label_score, label_score->text(),
             m_table.lastPoints() ? "Last points: " + tabletexts::points(m_table.lastPoints())
                                  : QString("No points in the last play"));
}

void Tmain::describeButtons()
{
    static const char *const descriptions[][2] = {
        {"button_start", "Deals a new game"},
        {"button_namedone", "Keeps the name entered"},
        {"button_namecancel", "Closes the name entry, keeping the name as it was"},
        {"button_removeno", "Keeps the ace on the table"},
        {"button_removeyes", "Takes the ace off the table"},
        {"button_updateyes", "Downloads and starts the new version"},
        {"button_updatecancel", "Goes on with this version"},
        {"button_sendscore", "Posts the score to the online high-score list"},
        {"button_highscore", "Shows the online high-score list"},
        {"button_done", "Closes the game's result"},
        {"button_dealplay", "Starts a game with the deal of this number"},
        {"button_dealcancel", "Closes the deal number entry"},
        {"button_letsplay", "Closes the instructions"},
    };
    for (const auto &[name, description] : descriptions) {
        if (auto *button = findChild<TSelButton *>(name))
            button->setAccessibleDescription(description);
    }
}
