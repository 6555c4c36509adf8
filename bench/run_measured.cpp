// Runs one command many times and reports the median wall time and the peak
// resident memory of the child process, from wait4's resource usage. Output is
// one line of key=value pairs for bench/run to read.
//
//   run_measured RUNS COMMAND [ARGUMENT...]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: run_measured RUNS COMMAND [ARGUMENT...]\n");
        return 64;
    }
    const int runs = std::atoi(argv[1]);
    if (runs < 1) {
        std::fprintf(stderr, "run_measured: RUNS must be at least 1\n");
        return 64;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<double> wallMs;
    std::vector<double> peakKiB;
    for (int run = 0; run <= runs; ++run) {  // run 0 warms the caches and is not counted
        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        if (posix_spawn(&child, argv[2], &actions, nullptr, argv + 2, environ) != 0) {
            std::perror("run_measured: cannot start the command");
            return 2;
        }
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) != child) {
            std::perror("run_measured: wait4");
            return 2;
        }
        const auto end = std::chrono::steady_clock::now();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "run_measured: %s failed (status %d)\n", argv[2], status);
            return 2;
        }
        if (run == 0)
            continue;
        wallMs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        peakKiB.push_back(static_cast<double>(usage.ru_maxrss));  // KiB on Linux
    }
    posix_spawn_file_actions_destroy(&actions);

    std::printf("median_ms=%.3f min_ms=%.3f max_ms=%.3f peak_kib=%.0f max_peak_kib=%.0f runs=%d\n", Median(wallMs),
                *std::min_element(wallMs.begin(), wallMs.end()), *std::max_element(wallMs.begin(), wallMs.end()),
                Median(peakKiB), *std::max_element(peakKiB.begin(), peakKiB.end()), runs);
    return 0;
}
