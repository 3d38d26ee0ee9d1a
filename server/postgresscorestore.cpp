#include "server/postgresscorestore.h"

#include "server/scoreschema.h"

#include <libpq-fe.h>

#include <algorithm>
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

std::string trimmed(const char *message)
{
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

void PostgresScoreStore::Finish::operator()(pg_conn *connection) const
{
    PQfinish(connection);
}

void PostgresScoreStore::Clear::operator()(pg_result *result) const
{
    PQclear(result);
}

PostgresScoreStore::PostgresScoreStore(const std::string &address, Open open) : m_address(address)
{
    connect();
    createSchema(open);
}

PostgresScoreStore::~PostgresScoreStore() = default;

void PostgresScoreStore::connect()
{
    m_connection.reset(PQconnectdb(m_address.c_str()));
    if (PQstatus(m_connection.get()) != CONNECTION_OK) {
        const std::string why = trimmed(PQerrorMessage(m_connection.get()));
        m_connection.reset();
        throw StoreError("cannot connect to the score database: " + why);
    }
    // Notices ("relation already exists, skipping") are no news to anyone reading the log.
    PQsetNoticeProcessor(
        m_connection.get(), [](void *, const char *) {}, nullptr);
    run((std::string("LISTEN ") + channel).c_str(), "cannot listen for changes to the scores");
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
    });
}

PostgresScoreStore::Result
PostgresScoreStore::run(const char *sql, const std::vector<const char *> &values, const char *what)
{
    // A connection PostgreSQL dropped (a restart) is made again; its notifications are lost.
    if (!m_connection || PQstatus(m_connection.get()) != CONNECTION_OK) {
        connect();
        m_missedNotifications = true;
    }
    Result result(PQexecParams(m_connection.get(), sql, static_cast<int>(values.size()), nullptr,
                               values.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw StoreError(std::string(what) + ": " + trimmed(PQerrorMessage(m_connection.get())));
    return result;
}

template <typename Body> void PostgresScoreStore::inTransaction(Body body)
{
    run("BEGIN", "cannot start a transaction");
    try {
        body();
        run("COMMIT", "cannot commit");
    } catch (const StoreError &) {
        if (m_connection && PQstatus(m_connection.get()) == CONNECTION_OK)
            PQclear(PQexec(m_connection.get(), "ROLLBACK"));
        throw;
    }
}

std::vector<bool> PostgresScoreStore::add(const std::vector<ReceivedScore> &scores)
{
    // In one order in every server's transactions, so that two batches holding the same game
    // wait for each other rather than deadlock.
    std::vector<std::size_t> order(scores.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const ScoreEntry &x = scores[a].entry, &y = scores[b].entry;
        return std::tie(x.name, x.deal, x.moves) < std::tie(y.name, y.deal, y.moves);
    });
    std::vector<bool> added(scores.size());
    inTransaction([&] {
        // The ids, which keep equal scores in the order they came, in the order given.
        const std::string count = std::to_string(scores.size());
        const Result taken = run("SELECT nextval('scores_id_seq') FROM generate_series(1, $1)",
                                 {count.c_str()}, "cannot number the scores");
        std::vector<long long> ids;
        for (int row = 0; row < PQntuples(taken.get()); ++row)
            ids.push_back(std::stoll(PQgetvalue(taken.get(), row, 0)));
        std::sort(ids.begin(), ids.end());
        for (const std::size_t at : order) {
            const ReceivedScore &score = scores[at];
            const std::string id = std::to_string(ids[at]);
            const ScoreEntry &entry = score.entry;
            const std::string number = std::to_string(entry.score);
            const std::string received = std::to_string(score.receivedMs);
            const std::string deal = entry.deal ? std::to_string(*entry.deal) : std::string();
            // A verified game stored already under the same name is not stored again.
            const Result inserted =
                run("INSERT INTO scores (id, name, date, score, received_ms, address, deal, moves) "
                    "VALUES ($1, $2, $3, $4, $5, $6, $7, $8) ON CONFLICT DO NOTHING",
                    {id.c_str(), entry.name.c_str(), entry.date.c_str(), number.c_str(),
                     received.c_str(), score.address.c_str(), entry.deal ? deal.c_str() : nullptr,
                     entry.moves.c_str()},
                    "cannot store a score");
            added[at] = std::string(PQcmdTuples(inserted.get())) == "1";
        }
        run((std::string("NOTIFY ") + channel).c_str(), "cannot tell of new scores");
    });
    return added;
}

std::vector<ScoreEntry> PostgresScoreStore::entries(pg_result *result) const
{
    std::vector<ScoreEntry> list;
    for (int row = 0; row < PQntuples(result); ++row) {
        ScoreEntry entry{PQgetvalue(result, row, 0), PQgetvalue(result, row, 1),
                         static_cast<std::int32_t>(std::stol(PQgetvalue(result, row, 2)))};
        if (!PQgetisnull(result, row, 3))
            entry.deal = static_cast<std::uint32_t>(std::stoul(PQgetvalue(result, row, 3)));
        entry.moves = PQgetvalue(result, row, 4);
        list.push_back(std::move(entry));
    }
    return list;
}

std::vector<ScoreEntry> PostgresScoreStore::best(int limit, bool verified)
{
    const std::string rows = std::to_string(limit);
    const Result result =
        run(verified ? "SELECT name, date, score, deal, moves FROM scores WHERE deal IS NOT NULL "
                       "ORDER BY score DESC, id LIMIT $1"
                     : "SELECT name, date, score, deal, moves FROM scores WHERE deal IS NULL "
                       "ORDER BY score DESC, id LIMIT $1",
            {rows.c_str()}, "cannot read the best scores");
    return entries(result.get());
}

std::int64_t PostgresScoreStore::count(bool verified)
{
    const Result result = run(scoreschema::count[verified], "cannot count the scores");
    return std::stoll(PQgetvalue(result.get(), 0, 0));
}

std::int64_t PostgresScoreStore::purgeAddress(const std::string &address)
{
    std::int64_t removed = 0;
    inTransaction([&] {
        const Result result = run("DELETE FROM scores WHERE address = $1", {address.c_str()},
                                  "cannot remove the scores");
        removed = std::stoll(PQcmdTuples(result.get()));
        run((std::string("NOTIFY ") + channel).c_str(), "cannot tell of removed scores");
    });
    return removed;
}

void PostgresScoreStore::proveWritable()
{
    run("INSERT INTO proof (id, written_at) VALUES (1, extract(epoch FROM now())::bigint) "
        "ON CONFLICT (id) DO UPDATE SET written_at = EXCLUDED.written_at",
        "cannot write to the score database");
}

bool PostgresScoreStore::changedElsewhere()
{
    if (!m_connection || PQstatus(m_connection.get()) != CONNECTION_OK ||
        PQconsumeInput(m_connection.get()) == 0) {
        // Made again by the next statement; until then nothing is known.
        m_connection.reset();
        return false;
    }
    bool changed = std::exchange(m_missedNotifications, false);
    const int self = PQbackendPID(m_connection.get());
    while (PGnotify *notice = PQnotifies(m_connection.get())) {
        changed |= notice->be_pid != self;
        PQfreemem(notice);
    }
    return changed;
}

std::vector<ReceivedScore> PostgresScoreStore::all()
{
    const Result result = run(scoreschema::all, "cannot read the scores");
    std::vector<ReceivedScore> scores;
    const std::vector<ScoreEntry> list = entries(result.get());
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        scores.push_back({list[static_cast<std::size_t>(row)],
                          std::stoll(PQgetvalue(result.get(), row, 5)),
                          PQgetvalue(result.get(), row, 6)});
    }
    return scores;
}

} // namespace server
