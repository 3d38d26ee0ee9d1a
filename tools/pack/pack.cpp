#include "tools/pack/pack.h"

#include "tally/codec/lzrw1.h"
#include "tools/pack/tallyreport.h"

#include <algorithm>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string_view>

namespace {

using Arguments = std::span<const std::string>;

// Wrong use of the command line, told apart from a failure of the work itself.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Command {
    std::string_view name;
    std::string_view synopsis;
    std::string_view summary;
    void (*run)(Arguments arguments, std::ostream &out);
};

void expectCount(Arguments arguments, std::size_t count)
{
    if (arguments.size() != count) {
        throw UsageError("expected " + std::to_string(count) + " file name" +
                         (count == 1 ? "" : "s"));
    }
}

TCompressMode modeNamed(std::string_view name)
{
    if (name == "fast") {
        return TCompressMode::Fast;
    }
    if (name == "good") {
        return TCompressMode::Good;
    }
    if (name == "auto") {
        return TCompressMode::Auto;
    }
    throw UsageError("unknown mode '" + std::string(name) + "'");
}

// Runs work on a coder reading `in` and writing `out`, then prints its last caption.
template <class Work>
void runCoder(const std::string &in, const std::string &out, std::ostream &to, Work &&work)
{
    Tlzrw1 doit;
    doit.InputFile = in;
    doit.OutputFile = out;
    std::string caption;
    doit.onCaption = [&caption](const std::string &text) { caption = text; };
    work(doit);
    to << caption << '\n';
}

void compress(Arguments arguments, std::ostream &out)
{
    TCompressMode mode = TCompressMode::Fast;
    if (!arguments.empty() && arguments.front() == "--mode") {
        if (arguments.size() < 2) {
            throw UsageError("--mode needs fast, good or auto");
        }
        mode = modeNamed(arguments[1]);
        arguments = arguments.subspan(2);
    }
    expectCount(arguments, 2);
    runCoder(arguments[0], arguments[1], out, [mode](Tlzrw1 &doit) {
        doit.CompressMode = mode;
        doit.Compress();
    });
}

void decompress(Arguments arguments, std::ostream &out)
{
    expectCount(arguments, 2);
    runCoder(arguments[0], arguments[1], out, [](Tlzrw1 &doit) { doit.Decompress(); });
}

void advise(Arguments arguments, std::ostream &out)
{
    expectCount(arguments, 1);
    runCoder(arguments[0], {}, out, [](Tlzrw1 &doit) { doit.Advise(); });
}

void tally(Arguments arguments, std::ostream &out)
{
    expectCount(arguments, 1);
    printTally(arguments[0], out);
}

constexpr Command commands[] = {
    {"compress", "compress [--mode fast|good|auto] IN OUT",
     "pack IN into the tally container OUT (default mode: fast, as tally files are)", compress},
    {"decompress", "decompress IN OUT", "unpack the tally container IN into OUT", decompress},
    {"advise", "advise IN", "recommend the fast or the good coding for IN", advise},
    {"tally", "tally FILE", "print the tally file's counters and ten best scores", tally},
};

void printUsage(std::ostream &to)
{
    to << "Usage: quellan-pack COMMAND ARGUMENTS\n"
          "Packs, unpacks and inspects Quellan's tally files.\n\nCommands:\n";
    for (const Command &command : commands) {
        to << "  " << command.synopsis << "\n      " << command.summary << '\n';
    }
    to << "  --help\n      show this text\n\n"
          "Each command prints its result on standard output. On failure it prints the error\n"
          "on standard error, leaves no partial output file and exits with status 1;\n"
          "wrong usage exits with status 2.\n";
}

} // namespace

int runPack(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err)
{
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        printUsage(out);
        return 0;
    }
    const Command *command =
        arguments.empty() ? nullptr : std::ranges::find(commands, arguments[0], &Command::name);
    try {
        if (command == nullptr || command == std::end(commands)) {
            throw UsageError(arguments.empty() ? "no command given"
                                               : "unknown command '" + arguments[0] + "'");
        }
        command->run(Arguments(arguments).subspan(1), out);
        return 0;
    } catch (const UsageError &error) {
        err << "quellan-pack: " << error.what() << "\n\n";
        printUsage(err);
        return 2;
    } catch (const std::exception &error) {
        err << error.what() << '\n';
        return 1;
    }
}
