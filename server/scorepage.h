#pragma once

#include "server/scoreentry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// The text with &, <, >, " and ' written as character references.
std::string htmlEscape(std::string_view text);

// The high-score page: the given scores in order with their rank, name, score and date, the
// number of scores posted in all, and a link to the game's web site. Plain HTML 4 with
// attributes rather than style sheets, so that simple HTML views show it as meant.
std::string renderScorePage(const std::vector<ScoreEntry> &best, std::int64_t total,
                            std::string_view webSite);

} // namespace server
