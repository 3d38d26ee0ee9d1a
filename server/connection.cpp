#include "server/connection.h"

#include "server/requestlog.h"
#include "server/routes.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace server {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

namespace {

constexpr std::size_t firstRead = 1024;
// After a refusal, what the client still sends is read and dropped for a moment, so that the
// refusal reaches it instead of being cut off by a reset; never for long, never much.
constexpr std::chrono::seconds lingerTime{2};
constexpr std::size_t lingerBytes = 1024 * 1024;

bool isReadMethod(std::string_view method)
{
    return method == "GET" || method == "HEAD";
}

std::string httpVersionText(unsigned version)
{
    return "HTTP/" + std::to_string(version / 10) + "." + std::to_string(version % 10);
}

} // namespace

Connection::Connection(asio::ip::tcp::socket socket, Client client, Admission::Ticket ticket,
                       Routes &routes, LogWriter &log, const HttpLimits &limits)
    : m_stream(std::move(socket)), m_buffer(2 * limits.headerBytes), m_client(std::move(client)),
      m_ticket(std::move(ticket)), m_routes(routes), m_log(log), m_limits(limits)
{
    // Header and body go out in one write already; no reason to hold small answers back.
    beast::error_code ignored;
    m_stream.socket().set_option(asio::ip::tcp::no_delay(true), ignored);
    m_stream.socket().set_option(asio::socket_base::send_buffer_size(limits.sendBuffer), ignored);
}

// Waits for the first byte of the next request for as long as an idle connection may stay.
void Connection::awaitRequest()
{
    if (m_buffer.size() > 0) {
        readHeader();
        return;
    }
    m_stream.expires_after(m_limits.idleTime);
    m_stream.async_read_some(m_buffer.prepare(firstRead),
                             [self = shared_from_this()](beast::error_code error, std::size_t got) {
                                 if (error)
                                     return;
                                 self->m_buffer.commit(got);
                                 self->readHeader();
                             });
}

// From its first byte, the whole request has the request time to arrive.
void Connection::readHeader()
{
    m_parser.emplace();
    m_parser->header_limit(static_cast<std::uint32_t>(m_limits.headerBytes));
    // Any body is refused by its announced length, however large, without reading it.
    m_parser->body_limit(std::numeric_limits<std::uint64_t>::max());
    m_stream.expires_after(m_limits.requestTime);
    http::async_read_header(m_stream, m_buffer, *m_parser,
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                                self->onHeader(error);
                            });
}

void Connection::onHeader(const beast::error_code &error)
{
    const auto &request = m_parser->get();
    m_method = request.method_string();
    m_target = request.target();
    m_version = m_method.empty() ? 0 : request.version();
    m_keepAlive = false;
    if (error) {
        const int status = refusalOfReadError(error);
        if (status == 408)
            log(status, 0); // the time-out closed the connection; nothing can be answered
        else if (status != 0)
            send(statusPage(status));
        return;
    }
    if (const int status = refusalOfRequest(); status != 0) {
        Response refusal = statusPage(status);
        if (status == 405)
            refusal.fields.emplace_back("Allow", "GET, HEAD");
        send(std::move(refusal));
        return;
    }
    m_keepAlive = m_parser->keep_alive() && ++m_served < m_limits.requestsPerConnection;
    route();
}

// The status a failed read is answered with; 0 when the client went away.
int Connection::refusalOfReadError(const beast::error_code &error) const
{
    if (error == beast::error::timeout)
        return 408;
    if (error == http::error::header_limit || error == http::error::buffer_overflow)
        return m_target.empty() ? 414 : 431;
    if (error == http::error::end_of_stream || error == http::error::partial_message ||
        error.category() != http::make_error_code(http::error::bad_target).category())
        return 0;
    return 400;
}

// The status a request is refused with, before anything of a body is read; 0 to serve it.
int Connection::refusalOfRequest() const
{
    const auto &request = m_parser->get();
    if (static_cast<std::size_t>(std::distance(request.begin(), request.end())) >
        m_limits.headerLines)
        return 431;
    if (!isReadMethod(m_method))
        return 405;
    // Whatever follows a transfer coding is no request of its own; the connection ends here.
    if (request.count(http::field::transfer_encoding) > 0)
        return 501;
    if (m_parser->content_length().value_or(0) > 0)
        return 413;
    if (m_version == 11 && request.count(http::field::host) != 1)
        return 400;
    return 0;
}

// The client: the connection's peer, or, behind the trusted load balancer, the one it names.
Client Connection::client() const
{
    if (m_limits.trustedProxy.empty() || m_client.address != m_limits.trustedProxy)
        return m_client;
    // The balancer appends its own field after any the client sent: the last one is its.
    const auto [first, end] = m_parser->get().equal_range("X-Forwarded-For");
    if (first == end)
        return m_client;
    return forwardedClient(std::prev(end)->value()).value_or(m_client);
}

void Connection::route()
{
    const Client from = client();
    const Request request{m_method, m_target, from.address, from.limitKey};
    m_routes.answer(request, [self = shared_from_this()](Response response) {
        // Answers from the store arrive on its thread; the connection goes on on its strand.
        asio::dispatch(
            self->m_stream.get_executor(),
            [self, answer = std::move(response)]() mutable { self->send(std::move(answer)); });
    });
}

void Connection::send(Response response)
{
    m_response = std::move(response);
    // An HTTP/1.0 client keeps a connection only when told it is kept.
    const std::string_view connection = !m_keepAlive      ? "close"
                                        : m_version == 10 ? "keep-alive"
                                                          : "";
    m_head = responseHead(m_response, connection);
    const std::size_t bodyBytes = m_method != "HEAD" ? m_response.bodySize() : 0;
    log(m_response.status, bodyBytes);
    std::vector<asio::const_buffer> pieces{asio::buffer(m_head)};
    if (bodyBytes > 0)
        pieces.push_back(asio::buffer(*m_response.body));
    m_stream.expires_after(m_limits.writeTime +
                           std::chrono::seconds(bodyBytes / m_limits.minimumRate));
    asio::async_write(
        m_stream, pieces,
        [self = shared_from_this()](beast::error_code error, std::size_t) { self->onSent(error); });
}

void Connection::onSent(const beast::error_code &error)
{
    if (!error)
        finish();
}

void Connection::finish()
{
    m_response = {};
    if (m_keepAlive)
        awaitRequest();
    else
        closeGently();
}

void Connection::closeGently()
{
    beast::error_code ignored;
    m_stream.socket().shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    m_stream.expires_after(lingerTime);
    drain();
}

// Reads into the request buffer, which has nothing left to keep, rather than into a buffer of
// its own that every connection would carry.
void Connection::drain()
{
    m_buffer.clear();
    m_stream.async_read_some(m_buffer.prepare(firstRead),
                             [self = shared_from_this()](beast::error_code error, std::size_t got) {
                                 self->m_discarded += got;
                                 if (!error && self->m_discarded < lingerBytes)
                                     self->drain();
                             });
}

void Connection::log(int status, std::uint64_t bytes) const
{
    const std::string version = m_version ? httpVersionText(m_version) : std::string();
    m_log.write(formatLogLine({std::chrono::system_clock::now(), m_client.address, m_method,
                               m_target, version, status, bytes}));
}

} // namespace server
