#include "server/pgconnection.h"

#include "server/scorestore.h"

#include <libpq-fe.h>

#include <array>
#include <cerrno>
#include <poll.h>

namespace server {

namespace {

// A database that is down or hangs is asked again after this long.
constexpr std::chrono::seconds retryInterval{1};

// Until the caller says otherwise: long enough for a tool copying or reading every score.
constexpr std::chrono::minutes defaultPatience{10};

std::string trimmed(const char *message)
{
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

void PgConnection::Finish::operator()(pg_conn *connection) const
{
    PQfinish(connection);
}

void PgConnection::Clear::operator()(pg_result *result) const
{
    PQclear(result);
}

PgConnection::PgConnection(std::string address, std::string setup)
    : m_address(std::move(address)), m_setup(std::move(setup)), m_patience(defaultPatience)
{
}

PgConnection::~PgConnection() = default;

void PgConnection::setPatience(std::chrono::milliseconds patience)
{
    m_patience = patience;
    if (connected()) {
        const std::string timeout = "SET statement_timeout = " + std::to_string(m_patience.count());
        run(timeout.c_str(), {}, "cannot set the statement time-out");
    }
}

bool PgConnection::ensure()
{
    if (m_connection && PQstatus(m_connection.get()) == CONNECTION_OK)
        return false;
    drop();
    if (Clock::now() < m_nextAttempt)
        throw StoreError("no connection to the score database (asked again once a second)");
    connect();
    return true;
}

void PgConnection::connect()
{
    const auto deadline = Clock::now() + m_patience;
    // The address comes last, so that what the operator wrote there wins. The keepalives and
    // the user time-out notice a database machine that vanished from the network.
    const std::array<const char *, 7> keywords{"connect_timeout",
                                               "keepalives_idle",
                                               "keepalives_interval",
                                               "keepalives_count",
                                               "tcp_user_timeout",
                                               "dbname",
                                               nullptr};
    const std::array<const char *, 7> values{"2",    "5", "2", "3", "5000", m_address.c_str(),
                                             nullptr};
    m_connection.reset(PQconnectStartParams(keywords.data(), values.data(), 1));
    if (!m_connection)
        fail("cannot connect to the score database", "out of memory");
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (state == PGRES_POLLING_FAILED || PQstatus(m_connection.get()) == CONNECTION_BAD) {
            m_nextAttempt = Clock::now() + retryInterval;
            fail("cannot connect to the score database", PQerrorMessage(m_connection.get()));
        }
        wait(state == PGRES_POLLING_READING ? POLLIN : POLLOUT, deadline,
             "cannot connect to the score database");
        state = PQconnectPoll(m_connection.get());
    }
    PQsetnonblocking(m_connection.get(), 1);
    // Notices ("relation already exists, skipping") are no news to anyone reading the log.
    PQsetNoticeProcessor(
        m_connection.get(), [](void *, const char *) {}, nullptr);
    const std::string setup =
        "SET statement_timeout = " + std::to_string(m_patience.count()) + "; " + m_setup;
    ++m_generation;
    run(setup.c_str(), {}, "cannot set up the connection to the score database");
}

PgConnection::Result PgConnection::run(const char *sql, const std::vector<const char *> &values,
                                       const char *what)
{
    ensure();
    const auto deadline = Clock::now() + m_patience;
    send(sql, values, what);
    return collect(deadline, what);
}

void PgConnection::send(const char *sql, const std::vector<const char *> &values, const char *what)
{
    pg_conn *connection = m_connection.get();
    const int sent = values.empty()
                         ? PQsendQuery(connection, sql)
                         : PQsendQueryParams(connection, sql, static_cast<int>(values.size()),
                                             nullptr, values.data(), nullptr, nullptr, 0);
    if (sent == 0)
        fail(what, PQerrorMessage(connection));
}

// Every result of the statements sent, read as they come; the last one, or the first error.
PgConnection::Result PgConnection::collect(Clock::time_point deadline, const char *what)
{
    pg_conn *connection = m_connection.get();
    int flushed = 0;
    while ((flushed = PQflush(connection)) == 1) {
        wait(POLLIN | POLLOUT, deadline, what);
        if (PQconsumeInput(connection) == 0)
            fail(what, PQerrorMessage(connection));
    }
    if (flushed < 0)
        fail(what, PQerrorMessage(connection));
    Result last;
    std::string error;
    for (;;) {
        while (PQisBusy(connection)) {
            wait(POLLIN, deadline, what);
            if (PQconsumeInput(connection) == 0)
                fail(what, PQerrorMessage(connection));
        }
        Result result(PQgetResult(connection));
        if (!result)
            break;
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && error.empty())
            error = trimmed(PQresultErrorMessage(result.get()));
        last = std::move(result);
    }
    if (PQstatus(connection) != CONNECTION_OK)
        fail(what, PQerrorMessage(connection));
    if (!error.empty())
        throw StoreError(std::string(what) + ": " + error);
    return last;
}

void PgConnection::wait(short events, Clock::time_point deadline, const char *what)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd socket{PQsocket(m_connection.get()), events, 0};
        const int ready = left.count() > 0 ? poll(&socket, 1, static_cast<int>(left.count())) : 0;
        if (ready > 0)
            return;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            fail(what, "cannot wait for the score database");
        m_nextAttempt = Clock::now() + retryInterval;
        fail(what, "the score database did not answer within " +
                       std::to_string(m_patience.count()) + " ms");
    }
}

std::vector<std::string> PgConnection::notifications()
{
    pg_conn *connection = m_connection.get();
    if (!connection || PQconsumeInput(connection) == 0)
        fail("cannot hear of changes to the scores",
             connection ? PQerrorMessage(connection) : "not connected");
    std::vector<std::string> payloads;
    while (PGnotify *notice = PQnotifies(connection)) {
        payloads.emplace_back(notice->extra);
        PQfreemem(notice);
    }
    return payloads;
}

void PgConnection::drop()
{
    m_connection.reset();
}

void PgConnection::fail(const std::string &what, const std::string &why)
{
    const std::string reason = trimmed(why.c_str());
    drop();
    throw StoreError(what + ": " + reason);
}

} // namespace server
