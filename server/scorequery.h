#pragma once

#include "server/scoreentry.h"

#include <optional>
#include <string>
#include <string_view>

namespace server {

// A score read from the posting script's query, or what was wrong with the query.
struct ScoreQuery {
    std::optional<ScoreEntry> entry; // set when the query is acceptable
    std::string error;               // otherwise a short reason, such as "missing name"
};

// Replaces each %XX escape with its byte; a "+" stays a plus sign. Nothing when an escape
// is malformed.
std::optional<std::string> percentDecode(std::string_view text);

// Reads name, date and score from a raw query (the text after "?"). The name must be 1 to 32
// characters of UTF-8 without control characters, the date 1 to 16 digits and separators,
// the score a decimal integer a finished game can end with. Then, both or neither, the deal's
// number and the game's line ("moves", the actions 1-4, d and y), which the entry keeps
// unchecked: whether they lead to the score is for replayProblem(). Other fields are ignored.
ScoreQuery parseScoreQuery(std::string_view rawQuery);

} // namespace server
