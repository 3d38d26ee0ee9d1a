#include "server/routes.h"

#include "protocol/scorequery.h"
#include "server/replay.h"

#include "quellanconfig.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace server {

namespace {

const std::string healthPath = "/health";

Response methodNotAllowed(const char *allowed)
{
    Response response = statusPage(405);
    response.fields.emplace_back("Allow", allowed);
    return response;
}

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::shared_ptr<const std::string> readInstaller(const std::string &path)
{
    if (path.empty())
        return nullptr;
    std::error_code unknown;
    const auto size = std::filesystem::file_size(path, unknown);
    std::ifstream file(path, std::ios::binary);
    std::string content(unknown ? 0 : size, '\0');
    if (unknown || !file.read(content.data(), static_cast<std::streamsize>(content.size())))
        throw std::runtime_error("no installer file at " + path);
    return std::make_shared<const std::string>(std::move(content));
}

} // namespace

Routes::Routes(ScoreBoard &board, Downloads downloads, PostRateLimit &postLimit)
    : m_board(board), m_versionText(std::move(downloads.versionText)),
      m_installer(readInstaller(downloads.installerPath)), m_postLimit(postLimit)
{
}

void Routes::answer(const Request &request, const Reply &reply)
{
    const std::string_view path = request.path();
    if (path == quellan::versionPath) {
        reply(version());
    } else if (path == quellan::setupPath) {
        reply(installer());
    } else if (path == quellan::postPath && request.head()) {
        // Asking for the headers must not post a score.
        reply(methodNotAllowed("GET"));
    } else if (path == quellan::postPath) {
        post(request, reply);
    } else if (path == quellan::pagePath) {
        reply(page(true));
    } else if (path == quellan::unverifiedPagePath) {
        reply(page(false));
    } else if (path == healthPath) {
        health(reply);
    } else {
        reply(statusPage(404));
    }
}

Response Routes::version() const
{
    return plainText(200, m_versionText);
}

Response Routes::installer() const
{
    if (!m_installer)
        return statusPage(404);
    Response response;
    response.contentType = "application/octet-stream";
    response.body = m_installer;
    return response;
}

void Routes::post(const Request &request, const Reply &reply)
{
    const protocol::ScoreQuery query = protocol::parseScoreQuery(request.query());
    if (!query.entry) {
        reply(plainText(400, "Score not stored: " + query.error + ".\n"));
        return;
    }
    // The limit first: a flood of games to play again is cut off before any is played.
    if (!m_postLimit.allow(request.limitKey, PostRateLimit::Clock::now())) {
        Response response =
            plainText(429, "Score not stored: too many scores from your address; try later.\n");
        response.fields.emplace_back("Retry-After", "2");
        reply(std::move(response));
        return;
    }
    if (const ScoreEntry &entry = *query.entry; entry.verified()) {
        const std::string problem = replayProblem(*entry.deal, entry.moves, entry.score);
        if (!problem.empty()) {
            reply(plainText(400, "Score not stored: " + problem + ".\n"));
            return;
        }
    }
    m_board.post({*query.entry, nowMs(), request.address}, [reply](bool stored) {
        reply(stored ? plainText(200, "Score posted.\n")
                     : plainText(503, "Score not stored: the score list cannot be written.\n"));
    });
}

void Routes::health(const Reply &reply)
{
    m_board.checkHealth([reply](bool healthy) {
        reply(healthy ? plainText(200, "ok\n") : plainText(503, "unavailable\n"));
    });
}

Response Routes::page(bool verified) const
{
    Response response;
    response.contentType = "text/html; charset=utf-8";
    response.body = m_board.page(verified); // shared, never copied
    return response;
}

} // namespace server
