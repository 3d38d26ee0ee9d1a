#pragma once

#include "protocol/postedscore.h"

namespace server {

// One posted score, as the game sends it and the high-score page shows it.
using ScoreEntry = protocol::PostedScore;

} // namespace server
