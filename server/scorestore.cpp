#include "server/scorestore.h"

#include <sqlite3.h>

namespace server {

namespace {

// Clears a statement's bindings and result when a call is done with it, even on failure.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt *statement) : m_statement(statement) {}
    ~StatementUse()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;

private:
    sqlite3_stmt *m_statement;
};

std::string columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? std::string(text, sqlite3_column_bytes(statement, column)) : std::string();
}

} // namespace

void ScoreStore::CloseDatabase::operator()(sqlite3 *db) const
{
    sqlite3_close_v2(db);
}

void ScoreStore::FinalizeStatement::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

ScoreStore::ScoreStore(const std::string &path)
{
    sqlite3 *db = nullptr;
    const int opened =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    m_db.reset(db);
    if (opened != SQLITE_OK)
        fail("cannot open the score database " + path);
    sqlite3_busy_timeout(db, 5000);
    // Write-ahead logging lets the page be read while a score is written; a full sync on each
    // commit keeps an acknowledged score even through a power cut.
    useWriteAheadLog();
    execute("PRAGMA synchronous = FULL");
    execute("CREATE TABLE IF NOT EXISTS scores ("
            "id INTEGER PRIMARY KEY, name TEXT NOT NULL, date TEXT NOT NULL, "
            "score INTEGER NOT NULL, received_ms INTEGER NOT NULL)");
    execute("CREATE INDEX IF NOT EXISTS scores_by_rank ON scores (score DESC, id)");
    m_begin = prepare("BEGIN IMMEDIATE");
    m_commit = prepare("COMMIT");
    m_rollback = prepare("ROLLBACK");
    m_insert =
        prepare("INSERT INTO scores (name, date, score, received_ms) VALUES (?1, ?2, ?3, ?4)");
    m_best = prepare("SELECT name, date, score FROM scores ORDER BY score DESC, id LIMIT ?1");
    m_count = prepare("SELECT COUNT(*) FROM scores");
}

ScoreStore::~ScoreStore() = default;

void ScoreStore::add(const std::vector<ReceivedScore> &scores)
{
    finish(m_begin.get(), "cannot start storing scores");
    try {
        for (const auto &score : scores)
            insert(score);
        finish(m_commit.get(), "cannot commit the scores");
    } catch (const StoreError &) {
        sqlite3_step(m_rollback.get());
        sqlite3_reset(m_rollback.get());
        throw;
    }
}

std::vector<ScoreEntry> ScoreStore::best(int limit)
{
    sqlite3_stmt *statement = m_best.get();
    const StatementUse use(statement);
    sqlite3_bind_int(statement, 1, limit);
    std::vector<ScoreEntry> entries;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        entries.push_back(
            {columnText(statement, 0), columnText(statement, 1), sqlite3_column_int(statement, 2)});
    }
    if (step != SQLITE_DONE)
        fail("cannot read the best scores");
    return entries;
}

std::int64_t ScoreStore::count()
{
    sqlite3_stmt *statement = m_count.get();
    const StatementUse use(statement);
    if (sqlite3_step(statement) != SQLITE_ROW)
        fail("cannot count the scores");
    return sqlite3_column_int64(statement, 0);
}

ScoreStore::Statement ScoreStore::prepare(const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql, -1, &statement, nullptr) != SQLITE_OK)
        fail("cannot prepare the score database");
    return Statement(statement);
}

void ScoreStore::useWriteAheadLog()
{
    const Statement statement = prepare("PRAGMA journal_mode = WAL");
    if (sqlite3_step(statement.get()) != SQLITE_ROW || columnText(statement.get(), 0) != "wal")
        fail("cannot use write-ahead logging in the score database");
}

void ScoreStore::insert(const ReceivedScore &score)
{
    sqlite3_stmt *statement = m_insert.get();
    const ScoreEntry &entry = score.entry;
    sqlite3_bind_text(statement, 1, entry.name.data(), static_cast<int>(entry.name.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, entry.date.data(), static_cast<int>(entry.date.size()),
                      SQLITE_STATIC);
    sqlite3_bind_int(statement, 3, entry.score);
    sqlite3_bind_int64(statement, 4, score.receivedMs);
    finish(statement, "cannot store a score");
}

// Runs a prepared statement that yields no rows.
void ScoreStore::finish(sqlite3_stmt *statement, const char *what)
{
    const StatementUse use(statement);
    if (sqlite3_step(statement) != SQLITE_DONE)
        fail(what);
}

// Runs a statement without values, such as a schema change or a setting, to its end.
void ScoreStore::execute(const char *sql)
{
    const Statement statement = prepare(sql);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (step != SQLITE_DONE)
        fail("cannot set up the score database");
}

void ScoreStore::fail(const std::string &what)
{
    throw StoreError(what + ": " + (m_db ? sqlite3_errmsg(m_db.get()) : "out of memory"));
}

} // namespace server
