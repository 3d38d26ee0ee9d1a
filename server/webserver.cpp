#include "server/webserver.h"

#include "server/connectionpool.h"
#include "server/requestlog.h"
#include "server/scorequery.h"

#include "quellanconfig.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

namespace server {

namespace {

using httplib::Request;
using httplib::Response;

constexpr time_t timeoutSeconds = 5;
constexpr std::size_t keepAliveRequests = 100;
constexpr std::size_t maxBodyBytes = 8192;
constexpr std::size_t chunkBytes = 64 * 1024;

// Address reuse lets a restarted server bind at once; unlike the library's default it does
// not share the port, so a second server on a taken address fails instead of splitting the
// traffic between two score databases.
void reuseAddressOnly(socket_t socket)
{
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

bool isReadMethod(const std::string &method)
{
    return method == "GET" || method == "HEAD";
}

const char *reason(int status)
{
    switch (status) {
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 500:
        return "Internal Server Error";
    default:
        return "Error";
    }
}

// A short HTML page naming the status, for every answer that has no body of its own.
void setStatusPage(Response &response)
{
    const std::string title = std::to_string(response.status) + " " + reason(response.status);
    response.set_content("<html><head><title>" + title + "</title></head><body><h1>" + title +
                             "</h1></body></html>\n",
                         "text/html");
}

void setMethodNotAllowed(Response &response, const char *allowed)
{
    response.status = 405;
    response.set_header("Allow", allowed);
    setStatusPage(response);
}

void setPlainText(Response &response, int status, const std::string &text)
{
    response.status = status;
    response.set_content(text, "text/plain");
}

std::string_view rawQuery(std::string_view target)
{
    const auto question = target.find('?');
    return question == std::string_view::npos ? std::string_view{} : target.substr(question + 1);
}

// One write per line, so lines from many threads never mix.
void writeLog(const std::string &line)
{
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void logRequest(const Request &request, const Response &response)
{
    writeLog(formatLogLine({std::chrono::system_clock::now(), request.remote_addr, request.method,
                            request.target, request.version, response.status,
                            response.get_header_value<std::uint64_t>("Content-Length")}));
}

} // namespace

WebServer::WebServer(ScoreBoard &board, Downloads downloads)
    : m_board(board), m_downloads(std::move(downloads))
{
    m_http.new_task_queue = [] { return new ConnectionPool(maxConnections); };
    m_http.set_socket_options(reuseAddressOnly);
    // Headers and body go out in separate writes; waiting to merge them would stall every
    // answer on a kept-alive connection for the client's delayed acknowledgement.
    m_http.set_tcp_nodelay(true);
    m_http.set_read_timeout(timeoutSeconds);
    m_http.set_write_timeout(timeoutSeconds);
    m_http.set_keep_alive_timeout(timeoutSeconds);
    m_http.set_keep_alive_max_count(keepAliveRequests);
    m_http.set_payload_max_length(maxBodyBytes);
    m_http.set_logger(logRequest);
    // GET and HEAD only; the library reads any body a request carries, so the connection
    // stays in step, and answers other methods through the error handler below.
    m_http.Get(".*",
               [this](const Request &request, Response &response) { route(request, response); });
    m_http.set_error_handler([](const Request &request, Response &response) {
        if (response.status == 404 && !isReadMethod(request.method))
            setMethodNotAllowed(response, "GET, HEAD");
        if (response.body.empty())
            setStatusPage(response);
    });
}

int WebServer::bind(const std::string &host, int port)
{
    if (port == 0)
        return m_http.bind_to_any_port(host);
    return m_http.bind_to_port(host, port) ? port : -1;
}

void WebServer::run()
{
    m_http.listen_after_bind();
}

void WebServer::stop()
{
    m_http.stop();
}

void WebServer::route(const Request &request, Response &response)
{
    try {
        if (request.path == quellan::versionPath) {
            serveVersion(response);
        } else if (request.path == quellan::setupPath) {
            serveInstaller(response);
        } else if (request.path == quellan::postPath && request.method == "HEAD") {
            // Asking for the headers must not post a score.
            setMethodNotAllowed(response, "GET");
        } else if (request.path == quellan::postPath) {
            servePost(request, response);
        } else if (request.path == quellan::pagePath) {
            servePage(response);
        } else {
            response.status = 404;
            setStatusPage(response);
        }
    } catch (const std::exception &error) {
        writeLog(std::string("quellan-server: ") + error.what() + "\n");
        response.status = 500;
        setStatusPage(response);
    }
}

void WebServer::serveVersion(Response &response)
{
    response.set_content(m_downloads.versionText, "text/plain");
}

void WebServer::serveInstaller(Response &response)
{
    auto file = std::make_shared<std::ifstream>(m_downloads.installerPath, std::ios::binary);
    const std::streamoff end = file->seekg(0, std::ios::end) ? std::streamoff(file->tellg()) : -1;
    if (m_downloads.installerPath.empty() || end < 0) {
        response.status = 404;
        setStatusPage(response);
        return;
    }
    const auto size = static_cast<std::size_t>(end);
    // Streamed from the file, so a large installer never sits in memory.
    response.set_content_provider(
        size, "application/octet-stream",
        [file](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
            std::vector<char> chunk(std::min(length, chunkBytes));
            file->seekg(static_cast<std::streamoff>(offset));
            file->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            const auto got = file->gcount();
            // A file cut short meanwhile ends the answer rather than padding it.
            return got > 0 && sink.write(chunk.data(), static_cast<std::size_t>(got));
        });
}

void WebServer::servePost(const Request &request, Response &response)
{
    const ScoreQuery query = parseScoreQuery(rawQuery(request.target));
    if (!query.entry) {
        setPlainText(response, 400, "Score not stored: " + query.error + ".\n");
        return;
    }
    m_board.post(*query.entry);
    setPlainText(response, 200, "Score posted.\n");
}

void WebServer::servePage(Response &response)
{
    auto page = m_board.page();
    // Handed out from the shared rendering without a copy.
    response.set_content_provider(
        page->size(), "text/html; charset=utf-8",
        [page](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
            return sink.write(page->data() + offset, length);
        });
}

} // namespace server
