#include "game/solver/beam.h"

#include "game/solver/deal.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace solver {

namespace {

// A line's actions are kept as a chain of steps, each pointing at the one before, so that the
// many boards weighed share their beginnings rather than copy them.
struct Trace {
    int before = -1;
    char action[3] = {};
};

struct Line {
    Board board;
    int points = 0;
    int trace = -1; // the last action's, -1 for none
};

// Boards by key, each with the most points a line found reaches it with: a table of its own,
// as the beam weighs many boards a phase and keeps a line for each.
class Reached {
public:
    // Keeps the line unless one with as many points reached its board; returns where it is
    // kept, or -1.
    int offer(const Key &key, const Line &line)
    {
        if (2 * (m_lines.size() + 1) > m_slots.size())
            grow();
        std::size_t at = hashOf(key) & (m_slots.size() - 1);
        for (; m_slots[at] >= 0; at = (at + 1) & (m_slots.size() - 1)) {
            const auto kept = static_cast<std::size_t>(m_slots[at]);
            if (m_keys[kept] == key) {
                if (m_lines[kept].points >= line.points)
                    return -1;
                m_lines[kept] = line;
                return m_slots[at];
            }
        }
        m_slots[at] = static_cast<std::int32_t>(m_lines.size());
        m_keys.push_back(key);
        m_lines.push_back(line);
        return m_slots[at];
    }

    const Line &operator[](int at) const { return m_lines[static_cast<std::size_t>(at)]; }
    std::vector<Line> &lines() { return m_lines; }

private:
    void grow()
    {
        m_slots.assign(std::max<std::size_t>(1024, 2 * m_slots.size()), -1);
        for (std::size_t kept = 0; kept < m_keys.size(); ++kept) {
            std::size_t at = hashOf(m_keys[kept]) & (m_slots.size() - 1);
            while (m_slots[at] >= 0)
                at = (at + 1) & (m_slots.size() - 1);
            m_slots[at] = static_cast<std::int32_t>(kept);
        }
    }

    std::vector<std::int32_t> m_slots; // indexes into the lines, -1 for none
    std::vector<Key> m_keys;
    std::vector<Line> m_lines;
};

class Beam {
public:
    Beam(const Position &position, int width, BeamRank rank, StopCheck &stopCheck)
        : m_deal(position), m_width(static_cast<std::size_t>(width)), m_rank(rank),
          m_stopCheck(stopCheck), m_start{m_deal.start(), position.score}
    {
    }

    std::optional<SolvedLine> run()
    {
        std::vector<Line> kept{m_start};
        while (!kept.empty())
            kept = keepBest(nextDeals(kept));
        return m_best;
    }

private:
    // Every board each kept line reaches before it deals, and the boards its deals lead to.
    Reached nextDeals(const std::vector<Line> &kept)
    {
        Reached phase, dealt;
        std::vector<int> open; // where in `phase`
        for (const Line &line : kept)
            reach(phase, open, line);
        while (!open.empty()) {
            const Line line = phase[open.back()];
            open.pop_back();
            m_stopCheck();
            m_deal.forEachStep(line.board, [&](const Step &step, const Board &next) {
                const Line after{next, line.points + step.points, extend(line.trace, step)};
                if (step.ended)
                    finish(after, step);
                else if (step.action[0] == rules::moves::deal)
                    dealt.offer(m_deal.key(next), after);
                else
                    reach(phase, open, after);
            });
        }
        return dealt;
    }

    // A line kept within the phase goes on from there.
    void reach(Reached &phase, std::vector<int> &open, const Line &line)
    {
        if (const int at = phase.offer(m_deal.key(line.board), line); at >= 0)
            open.push_back(at);
    }

    int extend(int trace, const Step &step)
    {
        Trace next{trace};
        std::copy(std::begin(step.action), std::end(step.action), next.action);
        m_traces.push_back(next);
        return static_cast<int>(m_traces.size()) - 1;
    }

    void finish(const Line &line, const Step &step)
    {
        const int total = line.points + step.ending;
        if (!m_best || total > m_best->finalScore)
            m_best = SolvedLine{total, step.won, actions(line.trace)};
    }

    std::string actions(int trace) const
    {
        std::string line;
        for (; trace >= 0; trace = m_traces[static_cast<std::size_t>(trace)].before)
            line.insert(0, m_traces[static_cast<std::size_t>(trace)].action);
        return line;
    }

    std::vector<Line> keepBest(Reached dealt)
    {
        std::vector<std::pair<int, Line>> ranked;
        ranked.reserve(dealt.lines().size());
        for (Line &line : dealt.lines())
            ranked.emplace_back(worth(line), std::move(line));
        const std::size_t keep = std::min(m_width, ranked.size());
        std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(keep),
                          ranked.end(),
                          [](const auto &a, const auto &b) { return a.first > b.first; });
        std::vector<Line> kept;
        for (std::size_t i = 0; i < keep; ++i)
            kept.push_back(std::move(ranked[i].second));
        return kept;
    }

    int worth(const Line &line) const
    {
        return m_rank == BeamRank::Points ? 2 * line.points
                                          : 2 * line.points + m_deal.ceiling(line.board);
    }

    Deal m_deal;
    std::size_t m_width;
    BeamRank m_rank;
    StopCheck &m_stopCheck;
    Line m_start;
    std::vector<Trace> m_traces;
    std::optional<SolvedLine> m_best;
};

} // namespace

std::optional<SolvedLine> beamSearch(const Position &position, int width, BeamRank rank,
                                     StopCheck &stopCheck)
{
    return Beam(position, width, rank, stopCheck).run();
}

} // namespace solver
