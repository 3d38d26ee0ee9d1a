#pragma once

#include "server/exchange.h"
#include "server/postratelimit.h"
#include "server/scoreboard.h"

#include <string>

namespace server {

// The files the server hands to the game besides the scores.
struct Downloads {
    std::string versionText;   // the version file's exact content
    std::string installerPath; // empty: there is no installer to hand out
};

// What each address of the server answers: the four the game uses, and /health for whoever
// watches the server.
class Routes {
public:
    // Reads the installer, if there is one; throws std::runtime_error when it cannot.
    Routes(ScoreBoard &board, Downloads downloads, PostRateLimit &postLimit);

    // Answers a GET or HEAD through reply, at once or once the store has spoken.
    void answer(const Request &request, const Reply &reply);

private:
    Response version() const;
    Response installer() const;
    void post(const Request &request, const Reply &reply);
    void health(const Reply &reply);
    // The list of verified scores, or of the others.
    Response page(bool verified) const;

    ScoreBoard &m_board;
    const std::string m_versionText;
    // Read once and sent from this one copy to every client; none: no installer to hand out.
    const std::shared_ptr<const std::string> m_installer;
    PostRateLimit &m_postLimit;
};

} // namespace server
