#include "server/webserver.h"

#include "server/connection.h"
#include "server/exchange.h"
#include "server/requestlog.h"

#include <boost/asio/strand.hpp>

#include <malloc.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace server {

namespace asio = boost::asio;
using asio::ip::tcp;

namespace {

// When the process has no descriptor left for a new connection, accepting waits this long
// before trying again instead of spinning.
constexpr std::chrono::milliseconds acceptPause{100};
// How often the memory of connections that ended is looked at, to give it back.
constexpr std::chrono::seconds trimInterval{5};

} // namespace

WebServer::WebServer(Routes &routes, LogWriter &log, HttpLimits limits)
    : m_routes(routes), m_log(log), m_limits(limits),
      m_admission(limits.perAddress, limits.connections), m_acceptor(m_io), m_acceptPause(m_io),
      m_trim(m_io)
{
}

int WebServer::bind(const std::string &host, int port)
{
    boost::system::error_code error;
    tcp::resolver resolver(m_io);
    const auto found = resolver.resolve(host, std::to_string(port), tcp::resolver::passive, error);
    if (error || found.empty())
        throw std::runtime_error("cannot find the address " + host + ": " + error.message());
    const tcp::endpoint endpoint = *found.begin();
    m_acceptor.open(endpoint.protocol(), error);
    // Address reuse lets a restarted server bind at once; a second server on a taken address
    // still fails instead of splitting the traffic between two score databases.
    if (!error)
        m_acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error)
        m_acceptor.bind(endpoint, error);
    if (!error)
        m_acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error)
        throw std::runtime_error("cannot listen: " + error.message());
    return m_acceptor.local_endpoint().port();
}

void WebServer::run(unsigned threads)
{
    reserveSockets();
    accept();
    trimLater();
    std::vector<std::thread> others;
    for (unsigned i = 1; i < threads; ++i)
        others.emplace_back([this] { serve(); });
    serve();
    for (auto &thread : others)
        thread.join();
}

// Asio keeps what it notes of each socket for the next one, as many as were ever open at once.
// Made here for the most connections there may be, side by side, those notes never pin the
// pages that a crowd of connections leaves behind when it goes.
void WebServer::reserveSockets()
{
    std::vector<tcp::socket> sockets;
    sockets.reserve(m_limits.connections);
    boost::system::error_code error;
    while (sockets.size() < m_limits.connections && !error)
        sockets.emplace_back(m_io).open(tcp::v4(), error);
}

// A failure inside one client's handler, such as memory running out, costs that client its
// connection, never the server.
void WebServer::serve()
{
    for (;;) {
        try {
            m_io.run();
            return;
        } catch (const std::exception &error) {
            m_log.write(std::string("quellan-server: ") + error.what() + "\n");
        }
    }
}

// The allocator keeps what a crowd of connections freed for the next crowd, scattered over
// its arenas; once the crowd has thinned, that goes back to the system, so that clients that
// came and went leave the server no larger than before.
void WebServer::trimLater()
{
    m_trim.expires_after(trimInterval);
    m_trim.async_wait([this](boost::system::error_code error) {
        if (error)
            return;
        if (m_admission.takePeak() > m_admission.open())
            malloc_trim(0);
        trimLater();
    });
}

void WebServer::stop()
{
    m_io.stop();
}

void WebServer::accept()
{
    m_acceptor.async_accept(asio::make_strand(m_io),
                            [this](boost::system::error_code error, tcp::socket socket) {
                                onAccept(error, std::move(socket));
                            });
}

void WebServer::onAccept(const boost::system::error_code &error, tcp::socket socket)
{
    if (error == asio::error::operation_aborted)
        return;
    if (error) {
        // Out of descriptors or memory for the moment: the clients already served go on.
        m_log.write("quellan-server: cannot accept a connection: " + error.message() + "\n");
        m_acceptPause.expires_after(acceptPause);
        m_acceptPause.async_wait([this](boost::system::error_code) { accept(); });
        return;
    }
    boost::system::error_code unknown;
    const tcp::endpoint peer = socket.remote_endpoint(unknown);
    if (!unknown) {
        Client client = clientAt(peer.address());
        Admission::Ticket ticket;
        switch (
            m_admission.admit(client.limitKey, ticket, client.address == m_limits.trustedProxy)) {
        case Admission::Verdict::Admitted:
            std::make_shared<Connection>(std::move(socket), std::move(client), std::move(ticket),
                                         m_routes, m_log, m_limits)
                ->start();
            break;
        case Admission::Verdict::AddressFull:
            refuse(socket, client.address, 429);
            break;
        case Admission::Verdict::ServerFull:
            refuse(socket, client.address, 503);
            break;
        }
    }
    accept();
}

// Says why in a few bytes the socket surely takes at once, and closes; never waits for the
// client, so the accept path never blocks.
void WebServer::refuse(tcp::socket &socket, const std::string &address, int status)
{
    Response refusal;
    refusal.status = status;
    refusal.fields.emplace_back("Retry-After", "5");
    const std::string head = responseHead(refusal, "close");
    boost::system::error_code ignored;
    socket.non_blocking(true, ignored);
    socket.write_some(asio::buffer(head), ignored);
    socket.shutdown(tcp::socket::shutdown_both, ignored);
    m_log.write(formatLogLine({std::chrono::system_clock::now(), address, {}, {}, {}, status, 0}));
}

} // namespace server
