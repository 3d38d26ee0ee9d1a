#pragma once

#include "server/scoreentry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// The text with &, <, >, " and ' written as character references.
std::string htmlEscape(std::string_view text);

// One list of scores as its page shows it.
struct ScoreListing {
    const std::vector<ScoreEntry> &best; // in order
    std::int64_t total;                  // scores in this list
    std::int64_t otherTotal;             // scores in the other one
    bool verified;
};

// A high-score page: the list's scores in order with their rank, name, score, deal and date,
// how many it holds, a link to the other list, what "verified" means and a link to the game's
// web site. Plain HTML 4 with attributes rather than style sheets, so that simple HTML views
// show it as meant.
std::string renderScorePage(const ScoreListing &listing, std::string_view webSite);

} // namespace server
