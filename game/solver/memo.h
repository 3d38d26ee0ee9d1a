#pragma once

#include "game/solver/board.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace solver {

constexpr std::int16_t none = std::numeric_limits<std::int16_t>::min();
constexpr std::int16_t max = std::numeric_limits<std::int16_t>::max();

// What the rest of a game can still add to the score at most.
struct Value {
    std::int16_t best = none;
    bool weighed = false; // the bound from stuck cards is in already
    bool exact = false;   // `best` is what the board adds at best, found by the endgame search
    bool won = false;     // where exact: the best line, a win preferred at a tie, is a win
};

// What the search knows of the boards it has weighed, by key: open addressing with linear
// probing; entries are added and lowered, never removed.
class Memo {
public:
    // Thrown when the table would have to outgrow its limit.
    struct TooLarge {};

    explicit Memo(std::size_t maxEntries)
        : m_entries(std::min<std::size_t>(1u << 16, std::bit_ceil(2 * maxEntries))),
          m_maxEntries(maxEntries)
    {
    }

    Value *find(const Key &key)
    {
        for (std::size_t at = slot(key);; at = (at + 1) & (m_entries.size() - 1)) {
            Entry &entry = m_entries[at];
            if (!entry.used)
                return nullptr;
            if (entry.key == key)
                return &entry.value;
        }
    }

    // The entry of the key, made with no bound when there is none. Valid until the next
    // entry is made.
    Value &at(const Key &key)
    {
        if (Value *known = find(key))
            return *known;
        if (m_size == m_maxEntries)
            throw TooLarge();
        if (2 * (m_size + 1) > m_entries.size())
            grow();
        place(key, Value{max});
        ++m_size;
        return *find(key);
    }

    // Keeps the smaller of the known bound and `bound`.
    void lower(const Key &key, int bound)
    {
        Value &known = at(key);
        known.best = static_cast<std::int16_t>(std::min<int>(known.best, bound));
    }

    std::size_t size() const { return m_size; }

private:
    struct Entry {
        Key key;
        Value value;
        bool used = false;
    };

    std::size_t slot(const Key &key) const
    {
        return static_cast<std::size_t>(hashOf(key)) & (m_entries.size() - 1);
    }

    void place(const Key &key, Value value)
    {
        std::size_t at = slot(key);
        while (m_entries[at].used)
            at = (at + 1) & (m_entries.size() - 1);
        m_entries[at] = {key, value, true};
    }

    void grow()
    {
        std::vector<Entry> old(m_entries.size() * 2);
        old.swap(m_entries);
        for (const Entry &entry : old) {
            if (entry.used)
                place(entry.key, entry.value);
        }
    }

    std::vector<Entry> m_entries;
    std::size_t m_size = 0;
    std::size_t m_maxEntries = 0;
};

// What the endgame search found of boards near the end of a game: what a board adds at best
// (encoded), or a bound on it; or, under a board's key in the search for a win, whether some
// line wins (1 or 0). True wherever the board was reached from, so kept across searches. A
// board takes the place of the one before it in its slot, so some are weighed again.
class ExactCache {
public:
    struct Entry {
        Key key;
        int value = 0;
        bool exact = false; // else a bound on the value
        bool used = false;
    };

    const Entry *find(const Key &key) const
    {
        const Entry &entry = m_entries[slotOf(key)];
        return entry.used && entry.key == key ? &entry : nullptr;
    }
    void store(const Key &key, int value, bool exact)
    {
        m_entries[slotOf(key)] = {key, value, exact, true};
    }

private:
    // Small enough to stay in the processor's cache: a larger one is slower for all it keeps.
    static constexpr std::size_t slots = std::size_t{1} << 14;

    static std::size_t slotOf(const Key &key)
    {
        return static_cast<std::size_t>(hashOf(key)) & (slots - 1);
    }

    std::vector<Entry> m_entries = std::vector<Entry>(slots);
};

} // namespace solver
