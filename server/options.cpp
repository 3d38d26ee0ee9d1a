#include "server/options.h"

#include <boost/asio/ip/address.hpp>

#include <charconv>
#include <map>
#include <optional>

namespace server {

namespace {

// The whole text as a number of type T from low to high.
template <typename T> std::optional<T> parseNumber(const std::string &text, T low, T high)
{
    T number{};
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc() || stop != end || !(number >= low && number <= high))
        return std::nullopt;
    return number;
}

std::optional<int> parsePort(const std::string &text)
{
    return parseNumber(text, 0, 65535);
}

// Stores the number in `field` when it is one from low to high.
template <typename T> bool setNumber(const std::string &text, T &field, T low, T high)
{
    const auto number = parseNumber(text, low, high);
    if (number)
        field = *number;
    return number.has_value();
}

// Splits HOST:PORT at its last colon; an IPv6 host is written in brackets.
bool parseListen(const std::string &text, Options &options)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    std::string host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const auto port = parsePort(text.substr(colon + 1));
    if (!port)
        return false;
    options.host = host;
    options.port = *port;
    return true;
}

// Each option that takes a value, with what stores it; false when the value is not acceptable.
using Setter = bool (*)(const std::string &value, Options &options);

const std::map<std::string, Setter> &setters()
{
    static const std::map<std::string, Setter> table{
        {"--listen",
         [](const std::string &value, Options &options) { return parseListen(value, options); }},
        {"--db",
         [](const std::string &value, Options &options) {
             options.dbPath = value;
             return !value.empty();
         }},
        {"--version-text",
         [](const std::string &value, Options &options) {
             options.versionText = value;
             return true;
         }},
        {"--installer",
         [](const std::string &value, Options &options) {
             options.installerPath = value;
             return !value.empty();
         }},
        {"--post-rate",
         [](const std::string &value, Options &options) {
             return setNumber(value, options.postRate, 0.0, 1e6);
         }},
        {"--post-burst",
         [](const std::string &value, Options &options) {
             return setNumber(value, options.postBurst, 1.0, 1e6);
         }},
        {"--purge-address",
         [](const std::string &value, Options &options) {
             options.purgeAddress = value;
             return !value.empty();
         }},
        {"--backup",
         [](const std::string &value, Options &options) {
             options.backupTo = value;
             return !value.empty();
         }},
        {"--per-address",
         [](const std::string &value, Options &options) {
             return setNumber<std::size_t>(value, options.limits.perAddress, 1, 1000000);
         }},
        {"--trust-proxy",
         [](const std::string &value, Options &options) {
             boost::system::error_code bad;
             boost::asio::ip::make_address(value, bad);
             options.limits.trustedProxy = value;
             return !bad;
         }},
        {"--write-time",
         [](const std::string &value, Options &options) {
             auto seconds = options.limits.writeTime.count();
             const bool valid = setNumber<decltype(seconds)>(value, seconds, 1, 3600);
             options.limits.writeTime = std::chrono::seconds(seconds);
             return valid;
         }},
        {"--max-connections",
         [](const std::string &value, Options &options) {
             return setNumber<std::size_t>(value, options.limits.connections, 1, 1000000);
         }},
    };
    return table;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string> &args)
{
    ParsedOptions parsed;
    parsed.options.versionText = quellan::versionText;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        if (arg == "--create") {
            parsed.options.create = true;
            continue;
        }
        if (arg == "--migrate") {
            if (i + 2 >= args.size() || args[i + 1].empty() || args[i + 2].empty()) {
                parsed.error = "--migrate needs FROM and TO";
                return parsed;
            }
            parsed.options.migrateFrom = args[++i];
            parsed.options.migrateTo = args[++i];
            continue;
        }
        // Both "--db PATH" and "--db=PATH" are understood.
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const auto setter = setters().find(name);
        if (setter == setters().end()) {
            parsed.error = "unknown option " + arg;
            return parsed;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parsed.error = name + " needs a value";
            return parsed;
        }
        if (!setter->second(value, parsed.options)) {
            parsed.error = "bad value for " + name + ": " + value;
            return parsed;
        }
    }
    if (parsed.options.dbPath.empty() && parsed.options.migrateFrom.empty() && !parsed.help)
        parsed.error = "--db is required";
    return parsed;
}

std::string usageText()
{
    const HttpLimits limits;
    return "Usage: quellan-server --db PATH [options]\n"
           "       quellan-server --db PATH --purge-address ADDRESS\n"
           "       quellan-server --db PATH --backup TO\n"
           "       quellan-server --migrate FROM TO\n"
           "Serves the game's version file, installer, score posting and high-score page.\n"
           "\n"
           "  --db PATH               score database: an SQLite file, or a PostgreSQL address\n"
           "                          (postgresql://...) that several servers may share; it\n"
           "                          must exist unless --create is given\n"
           "  --create                make the score database when it does not exist\n"
           "  --listen HOST:PORT      address to listen on (default " +
           addressText(quellan::listenHost, quellan::listenPort) +
           ";\n"
           "                          port 0 picks a free one)\n"
           "  --version-text TEXT     content of the version file (default " +
           std::string(quellan::versionText) +
           ")\n"
           "  --installer PATH        file served as the installer (default: none)\n"
           "  --post-rate N           score posts a second from one address (default 0.5;\n"
           "                          0: no limit)\n"
           "  --post-burst N          posts one address may send at once (default 5)\n"
           "  --per-address N         connections open at once from one address (default " +
           std::to_string(limits.perAddress) +
           ")\n"
           "  --max-connections N     connections open at once in all (default " +
           std::to_string(limits.connections) +
           ")\n"
           "  --write-time SECONDS    time a client has to take an answer, plus a second\n"
           "                          for each " +
           std::to_string(limits.minimumRate / 1024) + " KB of it (default " +
           std::to_string(limits.writeTime.count()) +
           ")\n"
           "  --trust-proxy ADDRESS   a load balancer in front: its connections are not\n"
           "                          limited per address, and its X-Forwarded-For names\n"
           "                          the client\n"
           "  --purge-address ADDRESS remove every score posted from ADDRESS, then exit\n"
           "  --backup TO             write a consistent copy of the SQLite file, which a\n"
           "                          server may be using, to TO; then exit\n"
           "  --migrate FROM TO       copy every score of one database (file or address)\n"
           "                          into another, in order, leaving out those already\n"
           "                          there; then exit\n"
           "  --help                  show this text\n"
           "\n"
           "The first line of output names the address listened on; each request is\n"
           "logged on standard error. GET /health answers \"ok\" while scores can be\n"
           "stored. SIGINT or SIGTERM stops the server.\n";
}

std::string addressText(const std::string &host, int port)
{
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

} // namespace server
