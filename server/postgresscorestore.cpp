#include "server/postgresscorestore.h"

#include "server/scorenotice.h"
#include "server/scoreschema.h"

#include <libpq-fe.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>

namespace server {

namespace {

// Every server's store listens on this channel; a commit that changes the scores notifies it.
constexpr const char *channel = "quellan_scores";

// Servers that start together must not make the tables twice at once.
constexpr const char *schemaLockKey = "781220419";

// Every connection listens; a transaction left open by a server that stopped (holding the
// counter row) is ended by PostgreSQL after a few seconds instead of blocking every server.
const std::string connectionSetup =
    std::string("SET idle_in_transaction_session_timeout = 5000; LISTEN ") + channel;

// The score columns every reading statement ends with, the id first.
ScoreEntry entryAt(pg_result *result, int row, int column)
{
    ScoreEntry entry{PQgetvalue(result, row, column), PQgetvalue(result, row, column + 1),
                     static_cast<std::int32_t>(std::stol(PQgetvalue(result, row, column + 2)))};
    if (!PQgetisnull(result, row, column + 3))
        entry.deal = static_cast<std::uint32_t>(std::stoul(PQgetvalue(result, row, column + 3)));
    entry.moves = PQgetvalue(result, row, column + 4);
    return entry;
}

std::vector<ScoreEntry> entries(pg_result *result, int column)
{
    std::vector<ScoreEntry> list;
    for (int row = 0; row < PQntuples(result); ++row)
        list.push_back(entryAt(result, row, column));
    return list;
}

// Each list's best scores, unverified and verified, the id before the entry's columns.
constexpr std::array<const char *, 2> bestOf{
    "SELECT id, name, date, score, deal, moves FROM scores WHERE deal IS NULL "
    "ORDER BY score DESC, id LIMIT $1",
    "SELECT id, name, date, score, deal, moves FROM scores WHERE deal IS NOT NULL "
    "ORDER BY score DESC, id LIMIT $1"};

// A PostgreSQL array literal of the texts, each quoted.
std::string arrayLiteral(const std::vector<std::string> &texts)
{
    std::string literal = "{";
    for (const std::string &text : texts) {
        literal += literal.size() > 1 ? ",\"" : "\"";
        for (const char c : text) {
            if (c == '"' || c == '\\')
                literal += '\\';
            literal += c;
        }
        literal += '"';
    }
    return literal + "}";
}

// The batch's rows in the given order as one array literal a column, for one statement that
// stores them all: a statement a score would cost the database as much work again as the rows.
std::array<std::string, 8> batchColumns(const std::vector<ReceivedScore> &scores,
                                        const std::vector<std::size_t> &order,
                                        const std::vector<std::int64_t> &ids)
{
    std::array<std::vector<std::string>, 8> columns;
    for (const std::size_t at : order) {
        const ReceivedScore &score = scores[at];
        const ScoreEntry &entry = score.entry;
        const std::array<std::string, 8> row{std::to_string(ids[at]),
                                             entry.name,
                                             entry.date,
                                             std::to_string(entry.score),
                                             std::to_string(score.receivedMs),
                                             score.address,
                                             entry.deal ? std::to_string(*entry.deal)
                                                        : std::string(),
                                             entry.moves};
        for (std::size_t column = 0; column < row.size(); ++column)
            columns[column].push_back(row[column]);
    }
    std::array<std::string, 8> literals;
    for (std::size_t column = 0; column < columns.size(); ++column)
        literals[column] = arrayLiteral(columns[column]);
    return literals;
}

} // namespace

PostgresScoreStore::PostgresScoreStore(const std::string &address, Open open)
    : m_connection(address, connectionSetup)
{
    createSchema(open);
    becomeWriter();
}

void PostgresScoreStore::createSchema(Open open)
{
    const Result present =
        run("SELECT to_regclass('scores') IS NOT NULL", "cannot look for the scores table");
    if (std::string(PQgetvalue(present.get(), 0, 0)) != "t" && open == Open::Existing)
        throw StoreError("no scores table in the score database (--create makes one)");
    inTransaction([&] {
        run((std::string("SELECT pg_advisory_xact_lock(") + schemaLockKey + ")").c_str(),
            "cannot lock the schema");
        run("CREATE TABLE IF NOT EXISTS scores (id BIGSERIAL PRIMARY KEY, name TEXT NOT NULL, "
            "date TEXT NOT NULL, score INTEGER NOT NULL, received_ms BIGINT NOT NULL, "
            "address TEXT NOT NULL DEFAULT '', deal BIGINT, moves TEXT NOT NULL DEFAULT '')",
            "cannot make the scores table");
        for (const char *index : scoreschema::indexes)
            run(index, "cannot make an index");
        run("CREATE TABLE IF NOT EXISTS proof (id INTEGER PRIMARY KEY, "
            "written_at BIGINT NOT NULL)",
            "cannot make the proof table");
        countExisting();
    });
}

// The counter rows: one for each store that ever wrote, with the number of its last commit that
// changed the scores and what its commits added to each list; their sums are the counts, so
// that nobody counts the table.
void PostgresScoreStore::countExisting()
{
    run("CREATE TABLE IF NOT EXISTS score_counts (writer BIGSERIAL PRIMARY KEY, "
        "sequence BIGINT NOT NULL DEFAULT 0, unverified BIGINT NOT NULL DEFAULT 0, "
        "verified BIGINT NOT NULL DEFAULT 0)",
        "cannot make the counter table");
    const Result counted =
        run("SELECT count(*) FROM score_counts", "cannot look for the counter rows");
    if (std::string(PQgetvalue(counted.get(), 0, 0)) != "0")
        return;
    // Once, for a table of scores kept from before the counters.
    run("INSERT INTO score_counts (unverified, verified) SELECT count(*) FILTER (WHERE deal IS "
        "NULL), count(*) FILTER (WHERE deal IS NOT NULL) FROM scores",
        "cannot count the scores");
}

// A row of its own, whose first commit tells every server to read its lists again: a server
// that died between a commit and its notice (its scores never acknowledged) is usually
// started again, and then nobody misses those scores for long.
void PostgresScoreStore::becomeWriter()
{
    const Result row = run("INSERT INTO score_counts (sequence) VALUES (1) RETURNING writer",
                           "cannot make a counter row");
    m_writer = std::stoll(PQgetvalue(row.get(), 0, 0));
    announce(1, {scorenotice::readAgain()});
}

template <typename Body> void PostgresScoreStore::inTransaction(Body body, const char *begin)
{
    run(begin, "cannot start a transaction");
    try {
        body();
        run("COMMIT", "cannot commit");
    } catch (const StoreError &) {
        // A connection given up (a database that hangs) ends the transaction by itself.
        if (m_connection.connected()) {
            try {
                run("ROLLBACK", "cannot roll back");
            } catch (const StoreError &) {
            }
        }
        throw;
    }
}

std::vector<bool> PostgresScoreStore::add(const std::vector<ReceivedScore> &scores)
{
    std::vector<bool> added(scores.size());
    std::vector<NumberedScore> stored;
    std::int64_t sequence = 0;
    inTransaction([&] {
        stored = insert(scores, added);
        std::int64_t change[2]{};
        for (const NumberedScore &score : stored)
            ++change[score.entry.verified()];
        if (!stored.empty())
            sequence = countChange(change);
    });
    if (sequence != 0)
        announce(sequence, scorenotice::encode(stored));
    return added;
}

// Inserts the scores and returns those stored, numbered; a verified game stored already
// under the same name is not stored again (false in `added`).
std::vector<NumberedScore> PostgresScoreStore::insert(const std::vector<ReceivedScore> &scores,
                                                      std::vector<bool> &added)
{
    // In one order in every server's transactions, so that two batches holding the same game
    // wait for each other rather than deadlock.
    std::vector<std::size_t> order(scores.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const ScoreEntry &x = scores[a].entry, &y = scores[b].entry;
        return std::tie(x.name, x.deal, x.moves) < std::tie(y.name, y.deal, y.moves);
    });
    // The ids, which keep equal scores in the order they came, in the order given.
    const std::string count = std::to_string(scores.size());
    const Result taken = run("SELECT nextval('scores_id_seq') FROM generate_series(1, $1)",
                             {count.c_str()}, "cannot number the scores");
    std::vector<std::int64_t> ids;
    for (int row = 0; row < PQntuples(taken.get()); ++row)
        ids.push_back(std::stoll(PQgetvalue(taken.get(), row, 0)));
    std::sort(ids.begin(), ids.end());
    const std::array<std::string, 8> columns = batchColumns(scores, order, ids);
    std::vector<const char *> values;
    for (const std::string &column : columns)
        values.push_back(column.c_str());
    const Result inserted =
        run("INSERT INTO scores (id, name, date, score, received_ms, address, deal, moves) "
            "SELECT id, name, date, score, received_ms, address, NULLIF(deal, '')::bigint, "
            "moves FROM unnest($1::bigint[], $2::text[], $3::text[], $4::integer[], "
            "$5::bigint[], $6::text[], $7::text[], $8::text[]) "
            "AS batch (id, name, date, score, received_ms, address, deal, moves) "
            "ON CONFLICT DO NOTHING RETURNING id",
            values, "cannot store the scores");
    std::vector<NumberedScore> stored;
    for (int row = 0; row < PQntuples(inserted.get()); ++row) {
        const std::int64_t id = std::stoll(PQgetvalue(inserted.get(), row, 0));
        const auto at =
            static_cast<std::size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
        added[at] = true;
        stored.push_back({scores[at].entry, ids[at]});
    }
    return stored;
}

// Counts the change into this store's counter row and returns the commit's number. The row is
// this store's alone: no other server's commit waits for it.
std::int64_t PostgresScoreStore::countChange(const std::int64_t (&change)[2])
{
    const std::string unverified = std::to_string(change[false]);
    const std::string verified = std::to_string(change[true]);
    const std::string writer = std::to_string(m_writer);
    const Result counted =
        run("UPDATE score_counts SET sequence = sequence + 1, unverified = unverified + $1, "
            "verified = verified + $2 WHERE writer = $3 RETURNING sequence",
            {unverified.c_str(), verified.c_str(), writer.c_str()}, "cannot count the change");
    if (PQntuples(counted.get()) != 1)
        throw StoreError("this server's counter row is missing from the score database");
    return std::stoll(PQgetvalue(counted.get(), 0, 0));
}

// Tells every server of a commit, once it is made. Not in the commit itself: a transaction
// that notifies holds one lock for the whole database until its commit is on disk, so that
// every server's commits would wait for each other's. A notice lost meanwhile (a connection
// dropped) shows as a gap at this writer's next one; the commit stands either way.
void PostgresScoreStore::announce(std::int64_t sequence, const std::vector<std::string> &parts)
{
    const std::string commit = std::to_string(m_writer) + ' ' + std::to_string(sequence);
    const std::string payloads = arrayLiteral(parts);
    try {
        inTransaction([&] {
            run("SET LOCAL synchronous_commit = off", "cannot tell of the change");
            run("SELECT pg_notify($1, $2 || ' ' || part) FROM unnest($3::text[]) AS part",
                {channel, commit.c_str(), payloads.c_str()}, "cannot tell of the change");
        });
    } catch (const StoreError &) {
        // Told by the gap; this server reads its own lists again once it has a connection.
    }
}

std::vector<ScoreEntry> PostgresScoreStore::best(int limit, bool verified)
{
    const std::string rows = std::to_string(limit);
    const Result result = run(bestOf[verified], {rows.c_str()}, "cannot read the best scores");
    return entries(result.get(), 1);
}

std::int64_t PostgresScoreStore::count(bool verified)
{
    const Result result = run(verified ? "SELECT sum(verified) FROM score_counts"
                                       : "SELECT sum(unverified) FROM score_counts",
                              "cannot count the scores");
    return std::stoll(PQgetvalue(result.get(), 0, 0));
}

std::int64_t PostgresScoreStore::purgeAddress(const std::string &address)
{
    std::int64_t change[2]{};
    std::int64_t sequence = 0;
    inTransaction([&] {
        const Result result =
            run("DELETE FROM scores WHERE address = $1 RETURNING deal IS NOT NULL",
                {address.c_str()}, "cannot remove the scores");
        for (int row = 0; row < PQntuples(result.get()); ++row)
            --change[std::string(PQgetvalue(result.get(), row, 0)) == "t"];
        sequence = countChange(change);
    });
    announce(sequence, {scorenotice::readAgain()});
    return -(change[false] + change[true]);
}

void PostgresScoreStore::proveWritable()
{
    run("INSERT INTO proof (id, written_at) VALUES (1, extract(epoch FROM now())::bigint) "
        "ON CONFLICT (id) DO UPDATE SET written_at = EXCLUDED.written_at",
        "cannot write to the score database");
}

void PostgresScoreStore::limitWaits(std::chrono::milliseconds patience)
{
    m_connection.setPatience(patience);
}

std::vector<ReceivedScore> PostgresScoreStore::all()
{
    const Result result = run(scoreschema::all, "cannot read the scores");
    std::vector<ReceivedScore> scores;
    const std::vector<ScoreEntry> list = entries(result.get(), 0);
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        scores.push_back({list[static_cast<std::size_t>(row)],
                          std::stoll(PQgetvalue(result.get(), row, 5)),
                          PQgetvalue(result.get(), row, 6)});
    }
    return scores;
}

Standings PostgresScoreStore::read(int rows)
{
    Standings standings;
    // One snapshot: the counts and both lists as of the same commits.
    const auto readAll = [&] {
        m_writers.clear();
        const Result counters = run("SELECT writer, sequence, unverified, verified FROM "
                                    "score_counts",
                                    "cannot read the counts");
        for (int row = 0; row < PQntuples(counters.get()); ++row) {
            m_writers[std::stoll(PQgetvalue(counters.get(), row, 0))].sequence =
                std::stoll(PQgetvalue(counters.get(), row, 1));
            for (const bool verified : {false, true})
                standings.count[verified] +=
                    std::stoll(PQgetvalue(counters.get(), row, 2 + verified));
        }
        const std::string limit = std::to_string(rows);
        for (const bool verified : {false, true}) {
            const Result best =
                run(bestOf[verified], {limit.c_str()}, "cannot read the best scores");
            for (int row = 0; row < PQntuples(best.get()); ++row) {
                standings.best[verified].push_back(
                    {entryAt(best.get(), row, 1), std::stoll(PQgetvalue(best.get(), row, 0))});
            }
        }
    };
    inTransaction(readAll, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    m_readOnConnection = m_connection.generation();
    m_missed = false;
    m_heard.clear();
    return standings;
}

std::optional<std::vector<NumberedScore>> PostgresScoreStore::take()
{
    try {
        for (const std::string &payload : m_connection.notifications())
            hear(payload);
    } catch (const StoreError &) {
        m_missed = true; // the connection is gone, and what it would have heard with it
    }
    if (m_missed || m_connection.generation() != m_readOnConnection) {
        m_missed = true;
        return std::nullopt;
    }
    return std::exchange(m_heard, {});
}

// Takes in one notification: each writer's commits are heard in the order it numbered them,
// each once, from the one after the lists read; any other (a gap, a part that does not fit, a
// removal) means reading again.
void PostgresScoreStore::hear(const std::string &payload)
{
    std::optional<scorenotice::Part> part = scorenotice::decode(payload);
    if (m_missed)
        return;
    Heard *writer = part ? &m_writers[part->writer] : nullptr;
    if (writer && part->sequence <= writer->sequence)
        return;
    if (!part || part->readAgain || part->sequence != writer->sequence + 1 ||
        (!writer->parts.empty() && writer->parts.size() != part->count)) {
        m_missed = true;
        return;
    }
    std::vector<std::optional<std::vector<NumberedScore>>> &parts = writer->parts;
    parts.resize(part->count);
    parts[part->index] = std::move(part->added);
    if (std::any_of(parts.begin(), parts.end(), [](const auto &heard) { return !heard; }))
        return;
    for (auto &heard : parts)
        m_heard.insert(m_heard.end(), heard->begin(), heard->end());
    parts.clear();
    ++writer->sequence;
}

} // namespace server
