#pragma once

#include "server/scoreentry.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace server {

// A score with the time it was received, in milliseconds since 1970, and the client's address.
struct ReceivedScore {
    ScoreEntry entry;
    std::int64_t receivedMs{};
    std::string address{}; // the client's; empty for scores kept from before addresses were

    bool operator==(const ReceivedScore &) const = default;
};

// A stored score with the number the store gave it: equal scores rank in its order.
struct NumberedScore {
    ScoreEntry entry;
    std::int64_t id = 0;

    bool operator==(const NumberedScore &) const = default;
};

// The order of a list: higher scores first, equal ones in the order of their numbers.
inline bool ranksBefore(const NumberedScore &a, const NumberedScore &b)
{
    return a.entry.score != b.entry.score ? a.entry.score > b.entry.score : a.id < b.id;
}

// The best scores of each list, best first, and how many each holds.
struct Standings {
    std::vector<NumberedScore> best[2]; // unverified, verified
    std::int64_t count[2]{};
};

// The news of a store that several servers write: every commit, this server's and the
// others', is told to all of them as it happens, so that each keeps its lists without reading
// the store.
class ChangeFeed {
public:
    virtual ~ChangeFeed() = default;
    // Both lists as they stand at one moment; what is taken after it was committed after it.
    virtual Standings read(int rows) = 0;
    // The scores committed since the last read() or take(), each once; none when something
    // was missed or removed (a connection made again, a purge), and read() must come next.
    virtual std::optional<std::vector<NumberedScore>> take() = 0;
};

// A failure of the score database; the message says what could not be done and why.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the posted scores are kept. Added scores are committed durably before add() returns,
// so they survive the process being killed at any later moment. Not thread-safe: one caller
// at a time.
class ScoreStore {
public:
    enum class Open { Existing, CreateIfMissing };

    virtual ~ScoreStore() = default;

    // Stores the scores in one transaction, all or none; throws StoreError. A verified game
    // stored already under the same name is not stored again: false in its place.
    virtual std::vector<bool> add(const std::vector<ReceivedScore> &scores) = 0;
    // At most limit verified or unverified scores, best first, equal scores in the order they
    // were stored.
    virtual std::vector<ScoreEntry> best(int limit, bool verified) = 0;
    // How many verified or unverified scores are stored.
    virtual std::int64_t count(bool verified) = 0;
    // Removes every score posted from address; returns how many there were.
    virtual std::int64_t purgeAddress(const std::string &address) = 0;
    // Commits a small write, proving the next batch of scores can be committed; throws
    // StoreError when it cannot.
    virtual void proveWritable() = 0;
    // The store at the address opened is no longer the one opened: scores added now would be
    // lost with it. A store that finds it so lets go of what it left at the address.
    virtual bool replaced() = 0;
    // Scores were added or removed by someone else (a purge) since the last call. A store with
    // a change feed tells through it instead.
    virtual bool changedElsewhere() { return false; }
    // The store's change feed, when several servers share it; else none.
    virtual ChangeFeed *changeFeed() { return nullptr; }
    // How long a call may wait for the database before it fails, so that a database that
    // hangs costs a post its answer, never the server. Stores on a local file ignore it.
    virtual void limitWaits(std::chrono::milliseconds) {}
    // Every score, in the order stored.
    virtual std::vector<ReceivedScore> all() = 0;
};

// The store `where` names: a "postgresql://" (or "postgres://") address for PostgreSQL, else
// the path of an SQLite file, which must exist unless `open` allows creating it. Throws
// StoreError.
std::unique_ptr<ScoreStore> openScoreStore(const std::string &where,
                                           ScoreStore::Open open = ScoreStore::Open::Existing);

} // namespace server
