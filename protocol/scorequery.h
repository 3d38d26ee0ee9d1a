#pragma once

#include "protocol/postedscore.h"

#include <optional>
#include <string>
#include <string_view>

namespace protocol {

// A score read from the posting script's query, or what was wrong with the query.
struct ScoreQuery {
    std::optional<PostedScore> entry; // set when the query is acceptable
    std::string error;                // otherwise a short reason, such as "missing name"
};

// The query (the text after "?") that posts the score: name, date and score, then the deal
// and the line when there is a line, each value percent-encoded. Limits are the server's to
// check.
std::string encodeScoreQuery(const PostedScore &score);

// Reads name, date and score from a raw query. The name must be 1 to maxNameCharacters
// characters of UTF-8 without control characters, the date 1 to maxDateCharacters digits and
// separators, the score a decimal integer a finished game can end with. Then, both or neither,
// the deal's number and the game's line (1 to maxMoves actions of rules::moves::alphabet),
// which the entry keeps unchecked: whether they lead to the score is for the replay. Other
// fields are ignored.
ScoreQuery parseScoreQuery(std::string_view rawQuery);

} // namespace protocol
