#pragma once

#include "game/position.h"
#include "game/solver.h"
#include "game/solver/stopcheck.h"

#include <optional>

namespace solver {

// How a beam ranks the boards it keeps after each deal.
enum class BeamRank {
    Points,           // the points so far
    PointsAndPromise, // the points so far and half of the most the rest could add
};

// A good line quickly, not the best for sure: after each deal only the `width` best boards by
// `rank` go on, and from each every board the phase can reach is weighed before the next deal.
// None when the game is over already. Throws Stopped when `stopCheck` says so.
std::optional<SolvedLine> beamSearch(const Position &position, int width, BeamRank rank,
                                     StopCheck &stopCheck);

} // namespace solver
