#include "server/sqlitescorestore.h"

#include "server/scoreschema.h"

#include <algorithm>
#include <filesystem>
#include <sqlite3.h>
#include <sys/stat.h>

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

// A score's name, date, score, deal and moves from the first five columns of a row.
ScoreEntry entryOf(sqlite3_stmt *statement)
{
    ScoreEntry entry{columnText(statement, 0), columnText(statement, 1),
                     sqlite3_column_int(statement, 2)};
    if (sqlite3_column_type(statement, 3) != SQLITE_NULL)
        entry.deal = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 3));
    entry.moves = columnText(statement, 4);
    return entry;
}

// A damaged file's check can run to thousands of lines; the first ones show what is wrong.
constexpr int reportedCheckLines = 10;

// The first `count` lines of the text, and how many more there were.
std::string firstLines(const std::string &text, int count)
{
    std::size_t end = 0;
    for (int line = 0; line < count; ++line) {
        end = text.find('\n', end);
        if (end == std::string::npos)
            return text;
        ++end;
    }
    const auto more =
        std::count(text.begin() + static_cast<std::ptrdiff_t>(end - 1), text.end(), '\n');
    return text.substr(0, end - 1) + "\n(" + std::to_string(more) + " more lines)";
}

} // namespace

void SqliteScoreStore::CloseDatabase::operator()(sqlite3 *db) const
{
    sqlite3_close_v2(db);
}

void SqliteScoreStore::FinalizeStatement::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

SqliteScoreStore::SqliteScoreStore(const std::string &path, Open open)
    : m_path(path), m_journal(path)
{
    // Before SQLite opens the file, which applies whatever journal it finds beside it.
    m_journal.refuseForeign();
    openFile(open);
    // Short, so that a purge holding the database cannot keep a stopping server waiting.
    sqlite3_busy_timeout(m_db.get(), 1000);
    checkIntegrity();
    // Write-ahead logging lets the page be read while a score is written; a full sync on each
    // commit keeps an acknowledged score even through a power cut.
    useWriteAheadLog();
    execute("PRAGMA synchronous = FULL");
    createSchema();
    retag();
    m_begin = prepare("BEGIN IMMEDIATE");
    m_commit = prepare("COMMIT");
    m_rollback = prepare("ROLLBACK");
    // A verified game that is stored already (same name, deal and line) is not stored again.
    m_insert = prepare("INSERT OR IGNORE INTO scores "
                       "(name, date, score, received_ms, address, deal, moves) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    m_best[true] = prepare("SELECT name, date, score, deal, moves FROM scores "
                           "WHERE deal IS NOT NULL ORDER BY score DESC, id LIMIT ?1");
    m_best[false] = prepare("SELECT name, date, score, deal, moves FROM scores "
                            "WHERE deal IS NULL ORDER BY score DESC, id LIMIT ?1");
    for (const bool verified : {false, true})
        m_count[verified] = prepare(scoreschema::count[verified]);
    m_purge = prepare("DELETE FROM scores WHERE address = ?1");
    m_all = prepare(scoreschema::all);
    m_prove =
        prepare("INSERT OR REPLACE INTO proof (id, written_at) VALUES (1, strftime('%s', 'now'))");
    m_dataVersionQuery = prepare("PRAGMA data_version");
    m_dataVersion = readNumber(m_dataVersionQuery.get(), "cannot read the database's version");
}

SqliteScoreStore::~SqliteScoreStore()
{
    // A purge or a copy lets go of a replaced file as a server does.
    try {
        replaced();
    } catch (const StoreError &) {
    }
}

void SqliteScoreStore::openFile(Open open)
{
    struct stat file {};
    if (open == Open::Existing && stat(m_path.c_str(), &file) != 0)
        throw StoreError("no score database at " + m_path + "; --create makes a new one");
    sqlite3 *db = nullptr;
    const int flags =
        SQLITE_OPEN_READWRITE | (open == Open::CreateIfMissing ? SQLITE_OPEN_CREATE : 0);
    const int opened = sqlite3_open_v2(m_path.c_str(), &db, flags, nullptr);
    m_db.reset(db);
    if (opened != SQLITE_OK)
        fail("cannot open the score database " + m_path);
    // SQLite quietly opens a file it may not write read-only; a server that cannot store a
    // score must not start.
    if (sqlite3_db_readonly(db, "main") == 1)
        throw StoreError("the score database " + m_path + " is read-only");
    if (stat(m_path.c_str(), &file) != 0)
        throw StoreError("cannot see the score database " + m_path);
    m_device = file.st_dev;
    m_inode = file.st_ino;
}

void SqliteScoreStore::checkIntegrity()
{
    const Statement check = prepare("PRAGMA quick_check");
    std::string report;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(check.get())) == SQLITE_ROW)
        report += (report.empty() ? "" : "\n") + columnText(check.get(), 0);
    if (step != SQLITE_DONE)
        report = sqlite3_errmsg(m_db.get());
    else if (report == "ok")
        return;
    throw StoreError("the score database " + m_path +
                     " is damaged: " + firstLines(report, reportedCheckLines));
}

void SqliteScoreStore::createSchema()
{
    execute("CREATE TABLE IF NOT EXISTS scores ("
            "id INTEGER PRIMARY KEY, name TEXT NOT NULL, date TEXT NOT NULL, "
            "score INTEGER NOT NULL, received_ms INTEGER NOT NULL, "
            "address TEXT NOT NULL DEFAULT '')");
    // Databases made before addresses, deals and lines were kept gain the columns; their
    // scores have no address and are unverified.
    addColumnIfMissing("address", "TEXT NOT NULL DEFAULT ''");
    addColumnIfMissing("deal", "INTEGER");
    addColumnIfMissing("moves", "TEXT NOT NULL DEFAULT ''");
    execute("DROP INDEX IF EXISTS scores_by_rank"); // one for both lists, before there were two
    for (const char *index : scoreschema::indexes)
        execute(index);
    execute(
        "CREATE TABLE IF NOT EXISTS proof (id INTEGER PRIMARY KEY, written_at INTEGER NOT NULL)");
}

void SqliteScoreStore::addColumnIfMissing(const char *column, const char *definition)
{
    sqlite3_stmt *probe = nullptr;
    const std::string select = std::string("SELECT ") + column + " FROM scores";
    const bool present =
        sqlite3_prepare_v2(m_db.get(), select.c_str(), -1, &probe, nullptr) == SQLITE_OK;
    sqlite3_finalize(probe);
    if (!present)
        execute(
            (std::string("ALTER TABLE scores ADD COLUMN ") + column + " " + definition).c_str());
}

// A new tag, so that a copy of the file made before no longer passes for it. The old tag stays
// claimed until the journal is moved into the file: a crash before leaves it in the journal.
void SqliteScoreStore::retag()
{
    const std::int32_t tag = SqliteJournal::newTag();
    m_journal.claim({currentTag(), tag});
    execute(("PRAGMA user_version = " + std::to_string(tag)).c_str());
    if (sqlite3_wal_checkpoint_v2(m_db.get(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                                  nullptr) == SQLITE_OK)
        m_journal.claim({tag});
}

std::int32_t SqliteScoreStore::currentTag() const
{
    const Statement query = prepare("PRAGMA user_version");
    return static_cast<std::int32_t>(readNumber(query.get(), "cannot read the database's tag"));
}

// Moves the journal of a file no longer at the path into that file and removes it from the
// path, where SQLite would apply it to the file found there; unless the journal there is not
// this file's any more. Writes are refused from now on: they would bring it back.
void SqliteScoreStore::letGo()
{
    m_letGo = true;
    if (m_journal.claimedBy(currentTag())) {
        // SQLite moves the journal into the file and removes it, then refuses to mark a moved
        // file as one without a journal; whether the journal is gone is what counts.
        sqlite3_exec(m_db.get(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
        if (m_journal.present())
            fail("cannot move the journal out of the way of the new score database " + m_path);
    }
    execute("PRAGMA query_only = ON");
}

void SqliteScoreStore::backup(const std::string &from, const std::string &to)
{
    SqliteJournal(from).refuseForeign();
    const std::string partial = to + ".partial";
    std::filesystem::remove(partial);
    const auto openDatabase = [](const std::string &path, int flags) {
        sqlite3 *db = nullptr;
        const int opened = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
        std::unique_ptr<sqlite3, CloseDatabase> owned(db);
        if (opened != SQLITE_OK)
            throw StoreError("cannot open " + path + ": " + sqlite3_errmsg(db));
        return owned;
    };
    const auto source = openDatabase(from, SQLITE_OPEN_READWRITE);
    auto copy = openDatabase(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // Every page in one read of the source, which the server's writes do not disturb.
    sqlite3_busy_timeout(source.get(), 1000);
    sqlite3_backup *pages = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
    const int step = pages ? sqlite3_backup_step(pages, -1) : SQLITE_ERROR;
    sqlite3_backup_finish(pages);
    // One file on its own, with a tag of its own: the source's journal is never the copy's.
    const std::string tag = std::to_string(SqliteJournal::newTag());
    const std::string settle = "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL; "
                               "PRAGMA user_version = " +
                               tag;
    if (step != SQLITE_DONE ||
        sqlite3_exec(copy.get(), settle.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw StoreError("cannot copy " + from + " to " + to + ": " + sqlite3_errmsg(copy.get()));
    copy.reset();
    renameDurably(partial, to);
}

std::vector<bool> SqliteScoreStore::add(const std::vector<ReceivedScore> &scores)
{
    std::vector<bool> added;
    inTransaction([&] {
        added.clear();
        for (const auto &score : scores) {
            insert(score);
            added.push_back(sqlite3_changes(m_db.get()) == 1);
        }
    });
    return added;
}

std::int64_t SqliteScoreStore::purgeAddress(const std::string &address)
{
    std::int64_t removed = 0;
    inTransaction([&] {
        sqlite3_stmt *statement = m_purge.get();
        sqlite3_bind_text(statement, 1, address.data(), static_cast<int>(address.size()),
                          SQLITE_STATIC);
        finish(statement, "cannot remove the scores");
        removed = sqlite3_changes(m_db.get());
    });
    return removed;
}

void SqliteScoreStore::proveWritable()
{
    if (replaced())
        throw StoreError("the score database " + m_path + " was deleted or replaced");
    inTransaction([&] { finish(m_prove.get(), "cannot write to the score database"); });
}

bool SqliteScoreStore::replaced()
{
    if (m_letGo)
        return true;
    struct stat file {};
    if (stat(m_path.c_str(), &file) == 0 && file.st_dev == m_device && file.st_ino == m_inode)
        return false;
    letGo();
    return true;
}

bool SqliteScoreStore::changedElsewhere()
{
    const std::int64_t version =
        readNumber(m_dataVersionQuery.get(), "cannot read the database's version");
    const bool changed = version != m_dataVersion;
    m_dataVersion = version;
    return changed;
}

template <typename Body> void SqliteScoreStore::inTransaction(Body body)
{
    finish(m_begin.get(), "cannot start a transaction");
    try {
        body();
        finish(m_commit.get(), "cannot commit");
    } catch (const StoreError &) {
        sqlite3_step(m_rollback.get());
        sqlite3_reset(m_rollback.get());
        throw;
    }
}

std::vector<ScoreEntry> SqliteScoreStore::best(int limit, bool verified)
{
    sqlite3_stmt *statement = m_best[verified].get();
    const StatementUse use(statement);
    sqlite3_bind_int(statement, 1, limit);
    std::vector<ScoreEntry> entries;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
        entries.push_back(entryOf(statement));
    if (step != SQLITE_DONE)
        fail("cannot read the best scores");
    return entries;
}

std::vector<ReceivedScore> SqliteScoreStore::all()
{
    sqlite3_stmt *statement = m_all.get();
    const StatementUse use(statement);
    std::vector<ReceivedScore> scores;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        scores.push_back(
            {entryOf(statement), sqlite3_column_int64(statement, 5), columnText(statement, 6)});
    }
    if (step != SQLITE_DONE)
        fail("cannot read the scores");
    return scores;
}

std::int64_t SqliteScoreStore::count(bool verified)
{
    return readNumber(m_count[verified].get(), "cannot count the scores");
}

// Runs a statement that yields one number.
std::int64_t SqliteScoreStore::readNumber(sqlite3_stmt *statement, const char *what) const
{
    const StatementUse use(statement);
    if (sqlite3_step(statement) != SQLITE_ROW)
        fail(what);
    return sqlite3_column_int64(statement, 0);
}

SqliteScoreStore::Statement SqliteScoreStore::prepare(const char *sql) const
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql, -1, &statement, nullptr) != SQLITE_OK)
        fail("cannot prepare the score database");
    return Statement(statement);
}

void SqliteScoreStore::useWriteAheadLog()
{
    const Statement statement = prepare("PRAGMA journal_mode = WAL");
    if (sqlite3_step(statement.get()) != SQLITE_ROW || columnText(statement.get(), 0) != "wal")
        fail("cannot use write-ahead logging in the score database");
}

void SqliteScoreStore::insert(const ReceivedScore &score)
{
    sqlite3_stmt *statement = m_insert.get();
    const ScoreEntry &entry = score.entry;
    sqlite3_bind_text(statement, 1, entry.name.data(), static_cast<int>(entry.name.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, entry.date.data(), static_cast<int>(entry.date.size()),
                      SQLITE_STATIC);
    sqlite3_bind_int(statement, 3, entry.score);
    sqlite3_bind_int64(statement, 4, score.receivedMs);
    sqlite3_bind_text(statement, 5, score.address.data(), static_cast<int>(score.address.size()),
                      SQLITE_STATIC);
    if (entry.deal)
        sqlite3_bind_int64(statement, 6, *entry.deal);
    else
        sqlite3_bind_null(statement, 6);
    sqlite3_bind_text(statement, 7, entry.moves.data(), static_cast<int>(entry.moves.size()),
                      SQLITE_STATIC);
    finish(statement, "cannot store a score");
}

// Runs a prepared statement that yields no rows.
void SqliteScoreStore::finish(sqlite3_stmt *statement, const char *what)
{
    const StatementUse use(statement);
    if (sqlite3_step(statement) != SQLITE_DONE)
        fail(what);
}

// Runs a statement without values, such as a schema change or a setting, to its end.
void SqliteScoreStore::execute(const char *sql) const
{
    const Statement statement = prepare(sql);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (step != SQLITE_DONE)
        fail("cannot set up the score database");
}

void SqliteScoreStore::fail(const std::string &what) const
{
    throw StoreError(what + ": " + (m_db ? sqlite3_errmsg(m_db.get()) : "out of memory"));
}

} // namespace server
