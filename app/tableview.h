#pragma once

#include "app/tablepictures.h"
#include "game/rules.h"
#include "widgets/flatpanel.h"

#include <QFont>
#include <QRect>

#include <array>
#include <cstdint>

class GameTable;
class QFrame;
class QLabel;
class TImage;

// The card table: the four columns, the deal and discard piles, the score, the cards left,
// the turn's points, the deal's number, the logo and START GAME. It shows the game table it
// is given, plays by keys while it has the keyboard, outlines a hint, and keeps what
// assistive tools read of each part up to date. The panels that come up over the table lie
// on it too, but belong to the window.
class TableView : public TFlatPanel {
    Q_OBJECT
public:
    explicit TableView(QWidget *parent = nullptr);

    // Shows the table as it stands.
    void showTable(const GameTable &table);
    // "Deal 1234567890", small in the corner below START GAME.
    void showDealNumber(std::uint32_t deal);
    // Outlines for a moment the column or the deal pile a move of a line names.
    void showHint(char move);
    // A message in the turn's label, in a smaller font over two lines so that it stays in the
    // strip right of the deal pile.
    void sayThisTurn(const QString &text);

signals:
    void columnClicked(int column);
    void dealClicked();
    void aceAnswered(bool yes);
    void startAsked();
    void logoClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildBoard();
    // True when the key was the table's.
    bool playKey(const QKeyEvent *key);
    void placecard(int column, const GameTable &table);
    void showPile(TImage *pile, int index);
    // The turn's label as the table shows the points of the last scoring event.
    void showThisTurn(const QString &points);
    // Names and descriptions of the table's parts for assistive tools.
    void describeTable(const GameTable &table);
    TImage *columnImage(int column) const { return m_columns[column - 1]; }

    TablePictures m_pictures; // the card image list and the columns drawn from it
    std::array<TImage *, rules::columnCount> m_columns{};
    TImage *image_deal = nullptr, *image_played = nullptr;
    QLabel *label_score = nullptr, *label_cardsleft = nullptr, *label_thisturn = nullptr;
    QLabel *label_deal = nullptr;
    QFrame *m_outline = nullptr; // the hint's frame
    quint64 m_outlines = 0;      // hints shown: a later one keeps its own time on screen
    QRect m_thisturnPlace; // where label_thisturn stands, and its font, unless a message needs room
    QFont m_thisturnFont;
    QString m_turnPoints; // what the turn label shows when it says nothing else
    // Enter starts a game only while none runs.
    bool m_gameRunning = false;
};
