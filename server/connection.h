#pragma once

#include "server/admission.h"
#include "server/clientaddress.h"
#include "server/exchange.h"
#include "server/httplimits.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/parser.hpp>

#include <memory>
#include <optional>
#include <string>

namespace server {

class LogWriter;
class Routes;

// One client's connection: reads requests one at a time within the limits, has the routes
// answer them, and writes the answers; the next request is read only once the answer went
// out, so a client that sends many and reads none is held to one. A request that breaks a
// limit gets its refusal and the connection closes without reading the rest. Lives as long as an
// operation of its own is pending; all of them run on the connection's strand.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(boost::asio::ip::tcp::socket socket, Client client, Admission::Ticket ticket,
               Routes &routes, LogWriter &log, const HttpLimits &limits);

    void start() { awaitRequest(); }

private:
    using Parser = boost::beast::http::request_parser<boost::beast::http::empty_body>;

    void awaitRequest();
    void readHeader();
    void onHeader(const boost::beast::error_code &error);
    int refusalOfReadError(const boost::beast::error_code &error) const;
    int refusalOfRequest() const;
    void route();
    Client client() const;
    void send(Response response);
    void onSent(const boost::beast::error_code &error);
    void finish();
    void closeGently();
    void drain();
    void log(int status, std::uint64_t bytes) const;

    boost::beast::tcp_stream m_stream;
    boost::beast::flat_buffer m_buffer;
    std::optional<Parser> m_parser;
    const Client m_client;
    Admission::Ticket m_ticket;
    Routes &m_routes;
    LogWriter &m_log;
    const HttpLimits &m_limits;
    std::size_t m_served = 0;

    // The request being answered.
    std::string m_method;
    std::string m_target;
    unsigned m_version = 0; // 10 or 11; 0 until the request line is read
    bool m_keepAlive = false;

    // The answer being written.
    Response m_response;
    std::string m_head;
    std::size_t m_discarded = 0;
};

} // namespace server
