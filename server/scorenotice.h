#pragma once

#include "server/scorestore.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What one commit to a store that several servers share tells all of them, so that each
// applies it to the lists it keeps without reading the store: the scores the commit added, in
// parts that each fit a notification, or only that everything must be read again. The
// database puts the writer's number and the commit's number in front of each part.
namespace server::scorenotice {

// PostgreSQL takes payloads shorter than 8,000 bytes; the rest is room for the number.
inline constexpr std::size_t maxPayload = 7950;
// More parts than this (a migration of many scores) are sent as one "read again" instead.
inline constexpr std::size_t maxParts = 64;

// One notification, as read.
struct Part {
    std::int64_t writer = 0;   // the store that committed, each numbered once
    std::int64_t sequence = 0; // the commit's number: each writer's are numbered 1, 2, 3 ...
    std::size_t index = 0;     // 0 .. count - 1
    std::size_t count = 1;
    bool readAgain = false;
    std::vector<NumberedScore> added;
};

// The payloads telling of the scores a commit added, without the commit's number.
std::vector<std::string> encode(const std::vector<NumberedScore> &added);
// The payload saying that the lists must be read again, such as after a removal.
std::string readAgain();
// A payload as the database delivered it, the numbers first; none when it is not one of ours.
std::optional<Part> decode(std::string_view payload);

} // namespace server::scorenotice
