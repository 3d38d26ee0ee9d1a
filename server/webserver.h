#pragma once

#include "server/admission.h"
#include "server/httplimits.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <string>

namespace server {

class LogWriter;
class Routes;

// The HTTP side of the server: accepts connections within the limits and serves each on its
// own strand of a few threads, so slow or idle clients take no thread from anyone.
class WebServer {
public:
    WebServer(Routes &routes, LogWriter &log, HttpLimits limits);

    // Binds to host and port (0: any free port) and returns the port; throws
    // std::runtime_error saying why it cannot.
    int bind(const std::string &host, int port);
    // Serves on `threads` threads, this one among them, until stop() is called.
    void run(unsigned threads);
    // Safe from any thread; run() returns at once, whatever the clients are doing.
    void stop();

private:
    void serve();
    void reserveSockets();
    void accept();
    void onAccept(const boost::system::error_code &error, boost::asio::ip::tcp::socket socket);
    void refuse(boost::asio::ip::tcp::socket &socket, const std::string &address, int status);
    void trimLater();

    Routes &m_routes;
    LogWriter &m_log;
    const HttpLimits m_limits;
    Admission m_admission; // before the context: its connections hold tickets
    boost::asio::io_context m_io;
    boost::asio::ip::tcp::acceptor m_acceptor;
    boost::asio::steady_timer m_acceptPause;
    boost::asio::steady_timer m_trim;
};

} // namespace server
