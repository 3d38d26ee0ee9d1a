#include "app/tableview.h"

#include "app/tabletexts.h"
#include "game/gametable.h"
#include "resources/pictures/pictures.h"
#include "widgets/formkit.h"
#include "widgets/image.h"

#include <QAccessible>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

using form::label;
using palette::cream;

namespace {

// How long a hint's outline stays.
constexpr int hintMs = 1500;

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

TableView::TableView(QWidget *parent) : TFlatPanel("panel_board1", parent)
{
    form::setPanelLook(this, {8, 26, 470, 496}, cream, true);
    // The table takes the keyboard for play by keys.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName("Card table");
    buildBoard();
    describeTable(GameTable());
}

void TableView::buildBoard()
{
    using form::image;
    const auto centred = Qt::AlignHCenter | Qt::AlignTop;
    TImage *image_logo = image(this, "image_logo", {6, 449, 205, 37});
    image_logo->setCursor(Qt::PointingHandCursor);
    image_logo->setPicture([](qreal ratio) { return logoPicture({205, 37}, ratio); });
    connect(image_logo, &TImage::OnClick, this, &TableView::logoClicked);

    label_score = label(this, "label_score", "Score:0", {334, 72, 99, 20},
                        fonts::sansPx(16, true, true), cream, centred);
    TSelButton *button_start =
        form::button(this, "button_start", "START GAME", {285, 454, 172, 27}, palette::darkGrey);
    button_start->setAccessibleDescription("Deals a new game");
    connect(button_start, &TSelButton::OnClick, this, &TableView::startAsked);
    image_deal = image(this, "image_deal", {345, 104, 71, 96});
    connect(image_deal, &TImage::OnClick, this, &TableView::dealClicked);
    const int columnLefts[] = {18, 98, 178, 258};
    for (int c = 1; c <= GameTable::columnCount; ++c) {
        TImage *column =
            image(this, QString("image_col%1").arg(c), {columnLefts[c - 1], 16, 71, 96});
        connect(column, &TImage::OnClick, this, [this, c] { emit columnClicked(c); });
        m_columns[c - 1] = column;
    }
    label_cardsleft = label(this, "label_cardsleft", "Cards Left: 0", {346, 208, 0, 0},
                            fonts::sansPx(11, true), cream);
    image_played = image(this, "image_played", {345, 240, 71, 96});
    m_thisturnPlace = {422, 176, 60, 20};
    m_thisturnFont = fonts::sansPx(16, true);
    label_thisturn = label(this, "label_thisturn", "", m_thisturnPlace, m_thisturnFont, cream);
    label_deal = label(this, "label_deal", "", {285, 482, 177, 13}, fonts::sansPx(11), cream,
                       Qt::AlignRight | Qt::AlignTop);
    m_outline = new QFrame(this);
    m_outline->setObjectName("hint_outline");
    m_outline->setStyleSheet("border: 4px solid white;");
    m_outline->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_outline->hide();
    showPile(image_deal, CardImages::EmptyMarkIndex);
    showPile(image_played, CardImages::EmptyMarkIndex);
}

void TableView::showTable(const GameTable &table)
{
    m_gameRunning = table.gameactive();
    m_outline->hide();
    for (int c = 1; c <= GameTable::columnCount; ++c)
        placecard(c, table);
    showPile(image_deal, table.deckOnPile() ? CardImages::BackIndex : CardImages::EmptyMarkIndex);
    showPile(image_played,
             table.played().isCard() ? table.played().number() : CardImages::EmptyMarkIndex);
    label_score->setText(QString("Score: %1").arg(table.score()));
    label_cardsleft->setText(QString("Cards Left: %1").arg(table.cardsLeft()));
    label_cardsleft->adjustSize();
    showThisTurn(tabletexts::points(table.lastPoints()));
    describeTable(table);
}

void TableView::showDealNumber(std::uint32_t deal)
{
    label_deal->setText(QString("Deal %1").arg(deal));
}

void TableView::placecard(int c, const GameTable &table)
{
    TImage *image = columnImage(c);
    const int count = table.column(c).count;
    image->resize(CardImages::Width, TablePictures::columnHeight(count));
    image->setPicture([this, column = table.column(c), count](qreal ratio) {
        return m_pictures.column(column, count, ratio);
    });
}

void TableView::showPile(TImage *pile, int index)
{
    pile->setPicture([this, index](qreal ratio) { return m_pictures.pile(index, ratio); });
}

void TableView::showThisTurn(const QString &points)
{
    label_thisturn->setFont(m_thisturnFont);
    label_thisturn->setWordWrap(false);
    label_thisturn->setGeometry(m_thisturnPlace);
    label_thisturn->setText(points);
    m_turnPoints = points;
}

void TableView::sayThisTurn(const QString &text)
{
    label_thisturn->setFont(fonts::sansPx(11, true));
    label_thisturn->setWordWrap(true);
    label_thisturn->setGeometry(m_thisturnPlace.x(), m_thisturnPlace.y(),
                                width() - m_thisturnPlace.x() - 4, 2 * m_thisturnPlace.height());
    label_thisturn->setText(text);
}

void TableView::showHint(char move)
{
    if (move != rules::moves::deal && !rules::moves::isClick(move))
        return;
    showThisTurn(m_turnPoints); // over "Working out a hint…"
    const QWidget *target = move == rules::moves::deal
                                ? static_cast<QWidget *>(image_deal)
                                : columnImage(rules::moves::clicked(move) + 1);
    m_outline->setGeometry(target->geometry().adjusted(-7, -7, 7, 7));
    m_outline->raise();
    m_outline->show();
    QTimer::singleShot(hintMs, m_outline, [this, shown = ++m_outlines] {
        if (shown == m_outlines)
            m_outline->hide();
    });
}

void TableView::keyPressEvent(QKeyEvent *event)
{
    // Keys the table itself has, not those a box on it left unused.
    if (hasFocus() && playKey(event))
        return;
    TFlatPanel::keyPressEvent(event);
}

bool TableView::playKey(const QKeyEvent *key)
{
    // Keys with Ctrl or Alt belong to the menus. A key held down plays once, not on and on.
    if (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return false;
    if (key->isAutoRepeat())
        return true;
    const int code = key->key();
    if (code >= Qt::Key_1 && code < Qt::Key_1 + GameTable::columnCount)
        emit columnClicked(code - Qt::Key_0);
    else if (code == Qt::Key_D || code == Qt::Key_Space)
        emit dealClicked();
    else if (code == Qt::Key_Y || code == Qt::Key_N)
        emit aceAnswered(code == Qt::Key_Y);
    else if (code == Qt::Key_Return || code == Qt::Key_Enter) {
        if (!m_gameRunning)
            emit startAsked();
    } else
        return false;
    return true;
}

void TableView::describeTable(const GameTable &table)
{
    for (int c = 1; c <= GameTable::columnCount; ++c) {
        describe(columnImage(c), tabletexts::columnName(c, table.column(c)),
                 tabletexts::columnDescription(table.column(c)));
    }
    describe(image_deal, QString("Deal pile, %1 cards left").arg(table.cardsLeft()),
             table.gameactive() && !table.deckExhausted() ? "Deals one card onto each column"
                                                          : "Nothing to deal");
    const Card played = table.played();
    describe(image_played,
             played.isCard() ? "Discard pile: " + tabletexts::spokenName(played)
                             : QString("Discard pile, empty"),
             "The last card played off the table");
    describe(label_score, label_score->text(),
             table.lastPoints() ? "Last points: " + tabletexts::points(table.lastPoints())
                                : QString("No points in the last play"));
}
