#pragma once

#include "server/scoreboard.h"

#include <httplib.h>

#include <string>

namespace server {

// The files the server hands to the game besides the scores.
struct Downloads {
    std::string versionText;   // the version file's exact content
    std::string installerPath; // empty: there is no installer to hand out
};

// The HTTP side of the server: the four addresses the game uses, request limits, and one log
// line per request on standard error.
class WebServer {
public:
    // Connections served at once; further clients wait until one ends.
    static constexpr std::size_t maxConnections = 64;

    WebServer(ScoreBoard &board, Downloads downloads);

    // Binds to host and port (0: any free port); returns the port, or -1 when it cannot.
    int bind(const std::string &host, int port);
    // Serves until stop() is called.
    void run();
    // Safe from any thread.
    void stop();

private:
    void route(const httplib::Request &request, httplib::Response &response);
    void serveVersion(httplib::Response &response);
    void serveInstaller(httplib::Response &response);
    void servePost(const httplib::Request &request, httplib::Response &response);
    void servePage(httplib::Response &response);

    ScoreBoard &m_board;
    const Downloads m_downloads;
    httplib::Server m_http;
};

} // namespace server
