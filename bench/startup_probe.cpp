// SPDX-License-Identifier: GPL-3.0-or-later
// Measures start-up as a user sees it: the time from exec() of a program to
// the X server mapping its first window, and the program's resident memory
// one second later. Two programs are measured in alternation, so both see the
// same machine; the figures are medians, the second program is the baseline.
//
//   startup_probe RUNS PROGRAM BASELINE     (needs DISPLAY, e.g. under xvfb-run)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample
{
    double milliseconds = 0;
    long residentKiB = 0;
};

long windowPid(Display* display, Window window)
{
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
            &count, &after, &data)
            == Success
        && data && count == 1)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

long residentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

bool measure(Display* display, const char* program, Sample& sample)
{
    XSync(display, True);
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    bool mapped = false;
    const int fd = ConnectionNumber(display);
    while (!mapped && Clock::now() - start < std::chrono::seconds(20)) {
        while (!mapped && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && windowPid(display, event.xmap.window) == pid) {
                sample.milliseconds
                    = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                mapped = true;
            }
        }
        if (!mapped) {
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval timeout{0, 100000};
            select(fd + 1, &fds, nullptr, nullptr, &timeout);
        }
    }
    if (mapped) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        sample.residentKiB = residentKiB(pid);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return mapped;
}

template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM BASELINE\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    std::vector<double> time[2];
    std::vector<long> memory[2];
    const char* programs[2] = {argv[2], argv[3]};
    // One untimed start of each first, so both find their files in the cache.
    for (const char* program : programs) {
        Sample warm;
        measure(display, program, warm);
    }
    for (int run = 0; run < runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            Sample sample;
            if (!measure(display, programs[which], sample)) {
                std::fprintf(stderr, "%s never mapped a window\n", programs[which]);
                return 1;
            }
            time[which].push_back(sample.milliseconds);
            memory[which].push_back(sample.residentKiB);
            std::printf("run %2d  %-10s %8.1f ms %8ld KiB\n", run + 1,
                which ? "baseline" : "program", sample.milliseconds, sample.residentKiB);
        }
    }
    const double t0 = median(time[0]), t1 = median(time[1]);
    const long m0 = median(memory[0]), m1 = median(memory[1]);
    std::printf("\nmedian over %d runs      start-up     resident\n", runs);
    std::printf("program   %-14s %8.1f ms %8ld KiB\n", "", t0, m0);
    std::printf("baseline  %-14s %8.1f ms %8ld KiB\n", "", t1, m1);
    std::printf(
        "ratio (program / baseline)   %5.2f        %5.2f\n", t0 / t1, static_cast<double>(m0) / m1);
    XCloseDisplay(display);
    return 0;
}
