// quellan-solve: the best a deal allows, from the command line. See usage().

#include "solvereport.h"

#include "game/dealnumber.h"

#include <iostream>
#include <optional>
#include <string>
#include <thread>

namespace {

const char *usage()
{
    return "Usage: quellan-solve DEAL...\n"
           "       quellan-solve --stats FIRST COUNT\n"
           "For each deal number (0 to 4294967295): whether it can be won, the best final score\n"
           "and a line that reaches it, one character an action: 1-4 a click on that column,\n"
           "d a deal, y yes to the ace question. --stats solves COUNT deals from FIRST on all\n"
           "cores and prints the share of winnable deals, the spread of best scores and the\n"
           "solve times.\n";
}

int fail(const std::string &why)
{
    std::cerr << "quellan-solve: " << why << "\n\n" << usage();
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::cout << usage();
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--stats") {
        const auto first = args.size() == 3 ? parseDealNumber(args[1]) : std::nullopt;
        const auto count = args.size() == 3 ? parseDealNumber(args[2]) : std::nullopt;
        if (!first || !count || *count == 0 || *first + std::uint64_t{*count} - 1 > UINT32_MAX)
            return fail("--stats needs FIRST and COUNT, a range of deal numbers");
        const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
        std::cout << solvereport::statsText(
            *first, solvereport::solveRange(*first, *count, threads), threads);
        return 0;
    }
    for (const std::string &arg : args) {
        if (!parseDealNumber(arg))
            return fail("not a deal number: " + arg);
    }
    for (const std::string &arg : args)
        std::cout << solvereport::dealText(*parseDealNumber(arg)) << std::flush;
    return 0;
}
