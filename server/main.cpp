// quellan-server: the game's web server. See --help.

#include "server/options.h"
#include "server/scoreboard.h"
#include "server/scorestore.h"
#include "server/webserver.h"

#include "quellanconfig.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <pthread.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Blocks SIGINT and SIGTERM in this thread and every thread started after it, so that only
// the thread that waits for them receives them.
sigset_t blockStopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return signals;
}

int serve(const server::Options &options)
{
    if (!options.installerPath.empty() && !std::filesystem::is_regular_file(options.installerPath))
        throw std::runtime_error("no installer file at " + options.installerPath);
    const sigset_t signals = blockStopSignals();
    server::ScoreStore store(options.dbPath);
    server::ScoreBoard board(store, std::string("http://") + quellan::webSite);
    server::WebServer web(board, {options.versionText, options.installerPath});
    const int port = web.bind(options.host, options.port);
    if (port < 0)
        throw std::runtime_error("cannot listen on " +
                                 server::addressText(options.host, options.port));
    std::cout << "Listening on " << server::addressText(options.host, port) << std::endl;

    std::thread stopper([&web, &signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        web.stop();
    });
    web.run();
    // Wakes the waiting thread when serving ended without a signal.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const server::ParsedOptions parsed =
        server::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "quellan-server: " << parsed.error << "\n\n" << server::usageText();
        return 2;
    }
    if (parsed.help) {
        std::cout << server::usageText();
        return 0;
    }
    try {
        return serve(parsed.options);
    } catch (const std::exception &error) {
        std::cerr << "quellan-server: " << error.what() << '\n';
        return 1;
    }
}
