#include "server/options.h"

#include <charconv>
#include <map>
#include <optional>

namespace server {

namespace {

std::optional<int> parsePort(const std::string &text)
{
    int port = -1;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, port);
    if (error != std::errc() || stop != end || port < 0 || port > 65535)
        return std::nullopt;
    return port;
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
    return parsed;
}

std::string usageText()
{
    return "Usage: quellan-server [options]\n"
           "Serves the game's version file, installer, score posting and high-score page.\n"
           "\n"
           "  --listen HOST:PORT    address to listen on (default " +
           addressText(quellan::listenHost, quellan::listenPort) +
           ";\n"
           "                        port 0 picks a free one)\n"
           "  --db PATH             score database (default quellan-scores.db)\n"
           "  --version-text TEXT   content of the version file (default " +
           std::string(quellan::versionText) +
           ")\n"
           "  --installer PATH      file served as the installer (default: none)\n"
           "  --help                show this text\n"
           "\n"
           "The first line of output names the address listened on; each request is\n"
           "logged on standard error. SIGINT or SIGTERM stops the server.\n";
}

std::string addressText(const std::string &host, int port)
{
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

} // namespace server
