// Times how long programs take to show their first window on an X server, and how much
// memory they hold once it shows.
//   quellan-startup-timer RUNS PROGRAM_A PROGRAM_B
// Runs A and B alternately RUNS times each on $DISPLAY (an X server without a window
// manager, so that a window counts as shown when it is mapped), each in a fresh temporary
// folder, and prints the medians of both and their ratios B/A.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double ms;
    long rssKb;
};

long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

// Starts `program` in a folder of its own and waits for a top-level window to be mapped.
Sample runOnce(xcb_connection_t *x, const std::string &program)
{
    char folder[] = "/tmp/quellan-startup-XXXXXX";
    if (!mkdtemp(folder))
        std::exit(2);
    const std::string copy = std::string(folder) + "/program";
    if (std::system(("cp '" + program + "' '" + copy + "'").c_str()) != 0)
        std::exit(2);
    // The modules a program loads from beside itself go with it.
    const std::string programFolder = program.substr(0, program.rfind('/') + 1);
    if (std::system(
            ("cp '" + programFolder + "'libquellan-*.so '" + folder + "' 2>/dev/null").c_str()) !=
        0) {
        // A program without modules is fine.
    }
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder) != 0)
            _exit(2);
        // A fresh user too: every start is a first run.
        setenv("HOME", folder, 1);
        setenv("XDG_CONFIG_HOME", folder, 1);
        setenv("XDG_DATA_HOME", folder, 1);
        execl(copy.c_str(), copy.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    double ms = -1;
    while (ms < 0) {
        xcb_generic_event_t *event = xcb_wait_for_event(x);
        if (!event)
            std::exit(3);
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY)
            ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        free(event);
    }
    // What it holds the moment its window shows.
    const long rss = residentKb(pid);
    // Let it draw and settle before it goes, so that the next start finds a quiet machine.
    usleep(300 * 1000);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
    return {ms, rss};
}

template <class T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM_A PROGRAM_B\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x))
        return 2;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    std::vector<double> ms[2];
    std::vector<long> kb[2];
    for (int run = 0; run < runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            const Sample s = runOnce(x, argv[2 + which]);
            ms[which].push_back(s.ms);
            kb[which].push_back(s.rssKb);
        }
    }
    const double msA = median(ms[0]), msB = median(ms[1]);
    const long kbA = median(kb[0]), kbB = median(kb[1]);
    std::printf("%-10s %12s %14s\n", "", "time to map", "resident");
    std::printf("%-10s %9.1f ms %11ld kB\n", "A", msA, kbA);
    std::printf("%-10s %9.1f ms %11ld kB\n", "B", msB, kbB);
    std::printf("%-10s %12.2f %14.2f\n", "B / A", msB / msA, double(kbB) / double(kbA));
    xcb_disconnect(x);
    return 0;
}
