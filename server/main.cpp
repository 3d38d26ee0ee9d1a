// quellan-server: the game's web server. See --help.

#include "server/options.h"
#include "server/postratelimit.h"
#include "server/requestlog.h"
#include "server/routes.h"
#include "server/scoreboard.h"
#include "server/scorestore.h"
#include "server/sqlitescorestore.h"
#include "server/webserver.h"

#include "quellanconfig.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <pthread.h>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace {

// Descriptors the process needs besides its connections: the database, the log, the listener.
constexpr rlim_t spareDescriptors = 64;

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

// Every connection takes a descriptor: raises the soft limit as far as the hard one allows,
// and returns how many connections fit, so that clients past them are refused, not left
// waiting for a descriptor.
std::size_t allowConnections(std::size_t connections)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return connections;
    const rlim_t wanted = std::min<rlim_t>(connections + spareDescriptors, limit.rlim_max);
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = wanted;
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
            getrlimit(RLIMIT_NOFILE, &limit);
    }
    const std::size_t fit = limit.rlim_cur > 2 * spareDescriptors
                                ? static_cast<std::size_t>(limit.rlim_cur - spareDescriptors)
                                : spareDescriptors;
    if (fit < connections) {
        std::cerr << "quellan-server: the system allows " << limit.rlim_cur
                  << " open files; serving at most " << fit << " connections\n";
    }
    return std::min(fit, connections);
}

int purge(const server::Options &options)
{
    const auto store = server::openScoreStore(options.dbPath);
    const std::int64_t removed = store->purgeAddress(options.purgeAddress);
    std::cout << "Removed " << removed << (removed == 1 ? " score" : " scores") << " posted from "
              << options.purgeAddress << std::endl;
    return 0;
}

// Copies every score of one store into another, in the order stored, leaving out those the
// other holds already, so that a second run copies nothing.
int migrate(const server::Options &options)
{
    const auto from = server::openScoreStore(options.migrateFrom);
    const auto to =
        server::openScoreStore(options.migrateTo, server::ScoreStore::Open::CreateIfMissing);
    const auto identity = [](const server::ReceivedScore &score) {
        const server::ScoreEntry &entry = score.entry;
        return entry.name + '\n' + entry.date + '\n' + std::to_string(entry.score) + '\n' +
               (entry.deal ? std::to_string(*entry.deal) : "-") + '\n' + entry.moves + '\n' +
               std::to_string(score.receivedMs) + '\n' + score.address;
    };
    std::unordered_set<std::string> there;
    for (const server::ReceivedScore &score : to->all())
        there.insert(identity(score));
    std::vector<server::ReceivedScore> missing;
    for (server::ReceivedScore &score : from->all()) {
        if (!there.contains(identity(score)))
            missing.push_back(std::move(score));
    }
    to->add(missing);
    std::cout << "Copied " << missing.size() << (missing.size() == 1 ? " score" : " scores") << " ("
              << there.size() << " there already)" << std::endl;
    return 0;
}

int backup(const server::Options &options)
{
    server::SqliteScoreStore::backup(options.dbPath, options.backupTo);
    std::cout << "Copied " << options.dbPath << " to " << options.backupTo << std::endl;
    return 0;
}

int serve(const server::Options &options)
{
    if (!options.installerPath.empty() && !std::filesystem::is_regular_file(options.installerPath))
        throw std::runtime_error("no installer file at " + options.installerPath);

    const sigset_t signals = blockStopSignals();
    server::HttpLimits limits = options.limits;
    limits.connections = allowConnections(limits.connections);
    server::LogWriter log(STDERR_FILENO);
    const auto store = server::openScoreStore(
        options.dbPath, options.create ? server::ScoreStore::Open::CreateIfMissing
                                       : server::ScoreStore::Open::Existing);
    // A post or a health check that cannot be stored is answered within about this long.
    store->limitWaits(std::chrono::seconds(1));
    server::ScoreBoard board(
        *store, std::string("http://") + quellan::webSite,
        [&log](const std::string &line) { log.write("quellan-server: " + line + "\n"); });
    server::PostRateLimit postLimit(options.postRate, options.postBurst);
    server::Routes routes(board, {options.versionText, options.installerPath}, postLimit);
    server::WebServer web(routes, log, limits);
    const int port = web.bind(options.host, options.port);
    std::cout << "Listening on " << server::addressText(options.host, port) << std::endl;

    std::thread stopper([&web, &signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        web.stop();
    });
    web.run(std::max(2u, std::thread::hardware_concurrency()));
    // Wakes the waiting thread when serving ended without a signal.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    // Whatever was posted is committed before the process ends.
    board.close();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const server::ParsedOptions parsed =
        server::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::cout << server::usageText();
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "quellan-server: " << parsed.error << "\n\n" << server::usageText();
        return 2;
    }
    try {
        if (!parsed.options.migrateFrom.empty())
            return migrate(parsed.options);
        if (!parsed.options.backupTo.empty())
            return backup(parsed.options);
        return parsed.options.purgeAddress.empty() ? serve(parsed.options) : purge(parsed.options);
    } catch (const std::exception &error) {
        std::cerr << "quellan-server: " << error.what() << '\n';
        return 1;
    }
}
