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
    return "Usage: quellan-solve [--budget MS] DEAL...\n"
           "       quellan-solve --stats FIRST COUNT\n"
           "For each deal number (0 to 4294967295): whether it can be won, the best final score\n"
           "and a line that reaches it, one character an action: 1-4 a click on that column,\n"
           "d a deal, y yes to the ace question. With --budget, what is known within MS\n"
           "milliseconds of processor time: \"at least\" until the best is proven.\n"
           "--stats solves COUNT deals from FIRST on all cores and prints the share of\n"
           "winnable deals, the spread of best scores, the solve times, and what is known\n"
           "within budgets of 100 ms, 1 s and 2 s.\n";
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
    std::optional<int> budget;
    auto deals = args.begin();
    if (*deals == "--budget") {
        const auto ms = args.size() > 2 ? parseDealNumber(args[1]) : std::nullopt;
        if (!ms || *ms == 0 || *ms > 86'400'000)
            return fail("--budget needs milliseconds (1 to 86400000) and deal numbers");
        budget = static_cast<int>(*ms);
        deals += 2;
    }
    for (auto arg = deals; arg != args.end(); ++arg) {
        if (!parseDealNumber(*arg))
            return fail("not a deal number: " + *arg);
    }
    for (auto arg = deals; arg != args.end(); ++arg)
        std::cout << solvereport::dealText(*parseDealNumber(*arg), budget) << std::flush;
    return 0;
}
