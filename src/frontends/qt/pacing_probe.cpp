#include "frontends/qt/pacing_probe.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/rand_loop.h"
#include "frontends/qt/qt_display.h"
#include "machine/machine.h"

namespace rl00 {

namespace {

double percentile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::lround(q * double(v.size() - 1)));
    return v[i];
}

// A line of /proc/self/status in kB, or -1.
long statusKb(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
    }
    return -1;
}

}  // namespace

void runPacingProbe(Machine& m, QtDisplay& display) {
    m.scene.Tim_Start.enabled = false;  // no game may start while the probe runs
    QElapsedTimer clock;

    // Idle passes: what RAND_LOOP does per pass, for one second.
    long passes = 0;
    clock.start();
    while (clock.nsecsElapsed() < 1'000'000'000) {
        idleStep(m);
        display.processEvents();
        ++passes;
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;

    // Frames: a symbol moves one twip per frame, so the reel window keeps being repainted.
    Picture& p = m.scene.picture(reelPicture(2, 7));
    p.image = 7;
    p.visible = true;
    p.stretch = true;
    p.top = 50;
    constexpr int kFrames = 3000;
    std::vector<double> periods;
    periods.reserve(kFrames);
    display.endFrame();
    qint64 last = clock.nsecsElapsed();
    for (int i = 0; i < kFrames; ++i) {
        p.top = 50 + (i % 200);
        display.endFrame();
        const qint64 now = clock.nsecsElapsed();
        periods.push_back(double(now - last) / 1e6);
        last = now;
    }

    // Pauses: the timed wait is a sleep followed by event processing.
    std::vector<double> waits;
    for (int i = 0; i < 10; ++i) {
        const qint64 start = clock.nsecsElapsed();
        display.sleepMs(500);
        display.processEvents();
        waits.push_back(double(clock.nsecsElapsed() - start) / 1e6);
    }

    std::printf("idle_passes_per_second %.0f\n", double(passes) / seconds);
    std::printf("frame_setting_ms %.3f\n", display.noDelay() ? 0.0 : display.framePeriodMs());
    std::printf("frame_median_ms %.4f\n", percentile(periods, 0.5));
    std::printf("frame_p05_ms %.4f\n", percentile(periods, 0.05));
    std::printf("frame_p95_ms %.4f\n", percentile(periods, 0.95));
    std::printf("wait500_min_ms %.3f\n", *std::min_element(waits.begin(), waits.end()));
    std::printf("wait500_max_ms %.3f\n", *std::max_element(waits.begin(), waits.end()));
    std::printf("rss_kb %ld\n", statusKb("VmRSS"));
    std::printf("rss_peak_kb %ld\n", statusKb("VmHWM"));
    display.endProgram(0);
}

}  // namespace rl00
