// The main window's help beyond the rules: deals chosen by number and hints.
#include "app/main.h"
#include "app/solverworker.h"
#include "app/tabletexts.h"
#include "game/dealnumber.h"
#include "widgets/flatpanel.h"
#include "widgets/fonts.h"
#include "widgets/image.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

// How long a hint's outline stays.
constexpr int hintMs = 1500;

} // namespace

void Tmain::SelectDeal1Click()
{
    label_dealerror->clear();
    edit_deal->clear();
    panel_deal->showInFront();
    edit_deal->setFocus();
}

void Tmain::button_dealplayClick()
{
    const auto number = parseDealNumber(edit_deal->text().trimmed().toStdString());
    if (!number) {
        label_dealerror->setText("Enter a whole number from 0 to 4294967295.");
        return;
    }
    beginGame(number);
    playsounds("deal");
}

void Tmain::button_dealcancelClick()
{
    panel_deal->hide();
}

void Tmain::RestartDeal1Click()
{
    beginGame(m_table.dealNumber());
    playsounds("deal");
}

// Shows a message in the turn's label: in a smaller font over two lines, so that it stays
// in the strip right of the deal pile.
void Tmain::sayThisTurn(const QString &text)
{
    label_thisturn->setFont(fonts::sansPx(11, true));
    label_thisturn->setWordWrap(true);
    label_thisturn->setGeometry(m_thisturnPlace.x(), m_thisturnPlace.y(),
                                panel_board1->width() - m_thisturnPlace.x() - 4,
                                2 * m_thisturnPlace.height());
    label_thisturn->setText(text);
}

// The turn's label as the table shows the points of the last scoring event.
void Tmain::showThisTurn()
{
    label_thisturn->setFont(m_thisturnFont);
    label_thisturn->setWordWrap(false);
    label_thisturn->setGeometry(m_thisturnPlace);
    label_thisturn->setText(tabletexts::points(m_table.lastPoints()));
}

void Tmain::Hint1Click()
{
    if (!m_table.gameactive()) {
        sayThisTurn("No move left");
        return;
    }
    m_table.markAssisted();
    // Pressing again while the answer for this very table is being worked out adds nothing.
    if (m_hintAsked == m_moves)
        return;
    m_hintAsked = m_moves;
    m_solver->solve(m_table.position(), [this, asked = m_moves](const Solution &solution) {
        if (asked != m_moves)
            return; // the player has moved on since asking
        m_hintAsked.reset();
        if (!solution.solved || solution.best.actions.empty()) {
            sayThisTurn("No hint"); // too many ways to weigh from here
            return;
        }
        const char first = solution.best.actions.front();
        outline(first == 'd' ? static_cast<QWidget *>(image_deal) : columnImage(first - '0'));
    });
}

void Tmain::outline(QWidget *target)
{
    m_outline->setGeometry(target->geometry().adjusted(-7, -7, 7, 7));
    m_outline->raise();
    m_outline->show();
    QTimer::singleShot(hintMs, m_outline, [this, shown = ++m_outlines] {
        if (shown == m_outlines)
            m_outline->hide();
    });
}

void Tmain::tableChanged()
{
    ++m_moves;
    m_outline->hide();
    Undo1->setEnabled(m_table.canUndo());
}
