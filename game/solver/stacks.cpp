#include "game/solver/stacks.h"

namespace solver {

Stacks::Stacks(const Board &board, const Deck &deck)
    : lastDeal((Card::deckSize - board.dealt) / columns)
{
    for (int c = 0; c < columns; ++c) {
        for (int s = 0; s < board.count[c]; ++s)
            add(board.cards[c][s], c, 0);
    }
    for (int i = board.dealt; i < Card::deckSize; ++i)
        add(deck[i], i % columns, (i - board.dealt) / columns + 1);
}

void Stacks::add(std::uint8_t card, int stack, int deal)
{
    const int height = top[stack]++;
    cards[stack][height] = card;
    arrival[stack][height] = static_cast<std::uint8_t>(deal);
    place[card] = {static_cast<std::uint8_t>(stack), static_cast<std::uint8_t>(height)};
    outNow[stack] += deal == 0;
    ranks[suitOf(card)] |= static_cast<std::uint16_t>(1u << rankOf(card));
}

} // namespace solver
