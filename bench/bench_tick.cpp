// What one refresh tick costs the machine on a real X server: Orvane's CPU plus
// the X server's CPU per tick (and wall time), at 1920x1080 and 3840x2160,
// 25-300 %, both stretch modes, with and without the persistent image; next to
// baselines measured in the same run (a memcpy of the frame, and the
// client-side way: SHM GetImage, QImage::scaled, SHM PutImage). Also the load
// of a 100 ms timer running for real, and the memory a 300 % view takes.
//
// The tick skips drawing while the watched monitor is unchanged, so the cases
// that measure drawing change one pixel of it before every tick (that change,
// measured alone, is subtracted); the "static" cases measure skipped ticks.
//
// The same ticks drawn in this process's memory, as the Wayland backend draws
// them (platform/image), run on the simulated desktop with the same window
// ("memory-tick" rows): Orvane's CPU plus the X server's for showing Qt's
// window. The compositor's cost of copying frames into shared memory is not
// part of them.
//
// Flags besides Google Benchmark's: --whole-machine-seconds=N (default 1).
// Without an X server the X benchmarks are skipped and the program still exits 0.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/app_state.h"
#include "core/settings.h"
#include "mainwindow/frm_main.h"
#include "platform/fake/fake_platform.h"
#include "platform/x11/x11_platform.h"
#include "proc_stats.h"
#include "x_client.h"
#include "x_server.h"

namespace {

using namespace orvane;
using namespace orvane::bench;

// The watched monitors sit right of a large primary one that holds Orvane's
// window, big enough for the frame to show a whole monitor at 100 %.
struct WatchedSize {
    const char* label;
    const char* monitor;
    QRect rect;
};
const WatchedSize kSizes[] = {
    {"1920x1080", "SMALL", QRect(4096, 2160, 1920, 1080)},
    {"3840x2160", "BIG", QRect(4096, 0, 3840, 2160)},
};
const QSize kScreen(7936, 3240);
const QRect kHome(0, 0, 4096, 3240);
const int kZooms[] = {25, 50, 100, 200, 300};
// Around the frame: menu, tool and status bars and the window border.
const QSize kChrome(100, 240);
// Where the pointer rests when it must not be on a watched monitor: on the
// home monitor, clear of Orvane's window.
const QPoint kPointerAway(4000, 3200);

// What changes on the watched monitor between ticks: all of it (a video, a
// scrolled page), a small area (a clock, a typed word), or nothing.
enum class Screen { Whole, Small, Static };

struct Cost {
    double orvane = 0;  // ms of this process's CPU per tick
    double x = 0;       // ms of the X server's CPU per tick
    double wall = 0;    // ms per tick
    [[nodiscard]] double total() const { return orvane + x; }
};

struct Env {
    std::unique_ptr<e2e::XServer> server;
    std::unique_ptr<XClient> client;
    std::unique_ptr<platform::Platform> platform;
    std::unique_ptr<platform::fake::FakePlatform> memory;  // in-memory drawing
    QTemporaryDir configDir;
    std::unique_ptr<frmMain> window;
    int windowSize = -1;
    platform::Platform* windowPlatform = nullptr;
    QSize frame[2];  // the view frame's inner size, per watched size
    std::map<std::string, Cost> measured;
    std::vector<std::string> order;  // keys of measured, in the order they were first run
};
Env* env = nullptr;
// A brief run (CI: --benchmark_min_time below half a second) keeps its set-up small.
bool quickRun = false;

void record(const std::string& key, const Cost& c) {
    if (!env->measured.count(key)) env->order.push_back(key);
    env->measured[key] = c;
}
const Cost* lookup(const std::string& key) {
    auto it = env->measured.find(key);
    return it == env->measured.end() ? nullptr : &it->second;
}

void pump(int ms) {
    const double until = wallMs() + ms;
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (wallMs() < until);
}

QSize zoomed(QSize s, int zoom) {
    return {static_cast<int>(std::nearbyint(s.width() * zoom / 100.0)),
            static_cast<int>(std::nearbyint(s.height() * zoom / 100.0))};
}
QSize visibleOf(int size, int zoom) {
    return zoomed(kSizes[size].rect.size(), zoom).boundedTo(env->frame[size]);
}
double megabytes(QSize s) { return s.width() * 4.0 * s.height() / (1024.0 * 1024.0); }

void closeViewer() {
    if (!env->window) return;
    env->window->close();
    pump(20);
    env->window.reset();
    env->windowSize = -1;
}

// One main window watching the given monitor at 100 %, started as Main starts
// it, with its timer stopped: the benchmarks call the tick themselves.
frmMain* viewer(int size, platform::Platform* on = nullptr) {
    if (!on) on = env->platform.get();
    if (env->window && env->windowSize == size && env->windowPlatform == on) return env->window.get();
    closeViewer();
    AppState = AppStateData{};
    AppState.TitleBarShown = true;
    AppState.AppPath = env->configDir.path().toStdString() + "/";
    LoadSettings();
    const WatchedSize& w = kSizes[size];
    AppState.Display = w.monitor;
    AppState.ZoomRate = 1.0;
    AppState.Cursor = 4;
    AppState.NoRedraw = false;
    AppState.StretchHalftone = true;
    AppState.Interval = 100;
    AppState.MousePursuit = false;
    AppState.FullScreen = false;
    AppState.ScrollPos_X = AppState.ScrollPos_Y = 0;
    AppState.WindowPos_State = 0;
    AppState.WindowPos_Left = AppState.WindowPos_Top = 0;
    AppState.WindowPos_Width = (w.rect.width() + kChrome.width()) * 15;
    AppState.WindowPos_Height = (w.rect.height() + kChrome.height()) * 15;
    env->window = std::make_unique<frmMain>(*on);
    env->windowSize = size;
    env->windowPlatform = on;
    env->window->Show();
    for (int i = 0; i < 250 && env->window->FormState != 2; ++i) pump(20);
    pump(100);
    env->window->tmrMain.stop();
    if (env->window->FormState != 2 || AppState.ViewWidth != w.rect.width() ||
        AppState.ViewHeight != w.rect.height()) {
        std::fprintf(stderr, "bench_tick: the window did not start watching %s (%dx%d)\n", w.monitor,
                     AppState.ViewWidth, AppState.ViewHeight);
        closeViewer();
        return nullptr;
    }
    env->frame[size] = env->window->picFrameClient->size();
    return env->window.get();
}

// A round trip on the backend's connection: the server has done the tick's work.
void finishTick() { (void)env->platform->pointer().position(); }

// What a changing screen redraws between ticks: the whole watched monitor, or
// 64x20 pixels near its top-left corner, which every zoom shows at scroll 0.
QRect changedArea(int size, Screen screen) {
    const QRect monitor = kSizes[size].rect;
    return screen == Screen::Small ? QRect(monitor.topLeft() + QPoint(100, 100), QSize(64, 20)) : monitor;
}

// The pointer image as marker is drawn (and the buffered path taken) only
// while the pointer is on the watched monitor.
void placePointer(int size, bool onWatched) {
    const QPoint p = onWatched ? kSizes[size].rect.center() : kPointerAway;
    env->platform->pointer().setPosition({p.x(), p.y()});
    if (env->memory) env->memory->setPointerPosition({p.x(), p.y()});
}

void configure(frmMain& w, int zoom, bool simple, bool noRedraw, int cursor, bool pointerOnWatched) {
    placePointer(env->windowSize, pointerOnWatched);
    AppState.StretchHalftone = simple;
    AppState.NoRedraw = noRedraw;
    w.picView->setPersistent(!noRedraw);
    w.mnuView_Cursor_Select_Click(cursor);
    w.cmbZoom->setEditText(QString::number(zoom));
    w.cmbZoom_KeyPress(13);
    pump(30);
    for (int i = 0; i < 3; ++i) {
        w.tmrMain_Timer();
        finishTick();
    }
}

struct Meter {
    double cpu0 = processCpuMs();
    double x0 = otherProcessCpuMs(env->server->pid());
    double wall0 = wallMs();
    [[nodiscard]] Cost per(double n) const {
        Cost c;
        if (n <= 0) return c;
        c.orvane = (processCpuMs() - cpu0) / n;
        c.x = (otherProcessCpuMs(env->server->pid()) - x0) / n;
        c.wall = (wallMs() - wall0) / n;
        return c;
    }
};

void report(benchmark::State& state, const Cost& c) {
    state.counters["orvane_ms"] = c.orvane;
    state.counters["x_server_ms"] = c.x;
    state.counters["total_ms"] = c.total();
    state.counters["wall_ms"] = c.wall;
}

std::string memcpyKey(int size, bool visible) {
    return std::string(visible ? "memcpy_visible/" : "memcpy/") + kSizes[size].label;
}
std::string clientKey(int size, int zoom, bool smooth) {
    return std::string("client/") + kSizes[size].label + "/" + std::to_string(zoom) + "/" +
           (zoom == 100 ? "plain"
            : smooth    ? "quality"
                        : "simple");
}
std::string tickKey(int size, int zoom, bool simple, bool noRedraw, int cursor, Screen screen) {
    return std::string("tick/") + kSizes[size].label + "/" + std::to_string(zoom) + "/" +
           (zoom == 100 ? "plain"
            : simple    ? "simple"
                        : "quality") +
           (noRedraw ? "/noredraw" : "/persistent") + (cursor == 0 ? "/pointer-image" : "") +
           (screen == Screen::Static  ? "/static"
            : screen == Screen::Small ? "/small"
                                      : "");
}
std::string memoryTickKey(int size, int zoom, bool simple, Screen screen) {
    return "memory-" + tickKey(size, zoom, simple, false, 4, screen);
}
std::string changeKey(int size, Screen screen) {
    return std::string("change/") + kSizes[size].label + (screen == Screen::Small ? "/small" : "/whole");
}

// One memcpy of `pixels` at 4 bytes a pixel. Hot: the same two buffers every
// time, as the server reads the same framebuffer rows every tick. Cold: a
// rotation over 256 MiB of buffers, so neither side stays in the caches.
void memcpyBench(benchmark::State& state, QSize pixels, std::string key, bool cold) {
    const std::size_t bytes =
        static_cast<std::size_t>(pixels.width()) * static_cast<std::size_t>(pixels.height()) * 4;
    const std::size_t pool = (quickRun ? std::size_t{64} : std::size_t{256}) << 20;
    const std::size_t pairs = cold ? std::max<std::size_t>(2, pool / (2 * bytes)) : 1;
    // Kept between the calls Google Benchmark makes while it picks the iteration count.
    static std::map<std::pair<std::size_t, std::size_t>, std::vector<std::vector<std::uint8_t>>> buffers;
    auto& src = buffers[{bytes, 2 * pairs}];
    auto& dst = buffers[{bytes, 2 * pairs + 1}];
    if (src.empty()) {
        src.assign(pairs, std::vector<std::uint8_t>(bytes, 0x5a));
        dst.assign(pairs, std::vector<std::uint8_t>(bytes, 0));
    }
    std::size_t next = 0;
    const double cpu0 = processCpuMs(), wall0 = wallMs();
    for (auto _ : state) {
        std::memcpy(dst[next].data(), src[next].data(), bytes);
        benchmark::DoNotOptimize(dst[next].data());
        benchmark::ClobberMemory();
        next = (next + 1) % pairs;
    }
    const double n = static_cast<double>(state.iterations());
    Cost c;
    c.orvane = (processCpuMs() - cpu0) / n;
    c.wall = (wallMs() - wall0) / n;
    report(state, c);
    state.counters["MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    record(key, c);
}

void clientBench(benchmark::State& state, int size, int zoom, bool smooth) {
    if (!env->client || !env->client->ok()) {
        state.SkipWithError("no X client");
        return;
    }
    // Orvane's window stays (its timer is stopped); the mirror's window covers
    // it and is gone again before the next tick is measured.
    XClient::Mirror m;
    m.source = kSizes[size].rect;
    m.zoom = zoom / 100.0;
    m.visible = visibleOf(size, zoom);
    m.smooth = smooth;
    if (!env->client->beginMirror(m)) {
        state.SkipWithError("MIT-SHM is not available");
        return;
    }
    env->client->mirrorFrame();
    const Meter meter;
    for (auto _ : state) env->client->mirrorFrame();
    const Cost c = meter.per(static_cast<double>(state.iterations()));
    env->client->endMirror();
    report(state, c);
    if (const Cost* mc = lookup(memcpyKey(size, false)); mc && mc->total() > 0)
        state.counters["ratio_to_memcpy"] = c.total() / mc->total();
    record(clientKey(size, zoom, smooth), c);
}

// What the change itself costs without a tick: the share of the changing
// cases that is not Orvane's.
void changeBench(benchmark::State& state, int size, Screen screen) {
    if (!env->client || !env->client->ok()) {
        state.SkipWithError("no X client");
        return;
    }
    const Meter meter;
    for (auto _ : state) env->client->changeArea(changedArea(size, screen), true);
    const Cost c = meter.per(static_cast<double>(state.iterations()));
    report(state, c);
    record(changeKey(size, screen), c);
}

void tickBench(benchmark::State& state, int size, int zoom, bool simple, bool noRedraw, int cursor,
               Screen screen) {
    frmMain* w = viewer(size);
    if (!w) {
        state.SkipWithError("the main window did not start");
        return;
    }
    configure(*w, zoom, simple, noRedraw, cursor, cursor == 0);
    const bool changing = screen != Screen::Static;
    const Meter meter;
    for (auto _ : state) {
        // Drawn and waited for before the tick, so the tick sees the change.
        if (changing) env->client->changeArea(changedArea(size, screen), true);
        w->tmrMain_Timer();
        finishTick();
        QCoreApplication::processEvents();
    }
    Cost c = meter.per(static_cast<double>(state.iterations()));
    if (const Cost* ch = lookup(changeKey(size, screen)); changing && ch) {
        c.orvane = std::max(0.0, c.orvane - ch->orvane);
        c.x = std::max(0.0, c.x - ch->x);
        c.wall = std::max(0.0, c.wall - ch->wall);
    }
    report(state, c);
    if (const Cost* mc = lookup(memcpyKey(size, false)); mc && mc->total() > 0)
        state.counters["ratio_to_memcpy"] = c.total() / mc->total();
    if (zoom > 100) {
        if (const Cost* mv = lookup(memcpyKey(size, true)); mv && mv->total() > 0)
            state.counters["ratio_to_memcpy_visible"] = c.total() / mv->total();
    }
    if (const Cost* cc = lookup(clientKey(size, zoom, !simple)); cc && cc->total() > 0)
        state.counters["ratio_to_client"] = c.total() / cc->total();
    state.counters["orvane_cpu_ms"] = c.orvane;
    record(tickKey(size, zoom, simple, noRedraw, cursor, screen), c);
}

// Changes on the simulated monitor, made between the in-memory ticks. (The
// simulated desktop copies the whole picture for a small change: measured
// alone and subtracted, as the X client's drawing is from the X ticks.)
struct MemoryChanges {
    std::string monitor;
    QImage pictures[2];
    QImage marks[2];
    int turn = 0;
    explicit MemoryChanges(int size)
        : monitor(kSizes[size].monitor),
          pictures{testPicture(kSizes[size].rect.size()), testPicture(kSizes[size].rect.size()).mirrored(true, false)},
          marks{platform::fake::FakePlatform::solid({64, 20}, 0xff2040ff),
                platform::fake::FakePlatform::solid({64, 20}, 0xffff4020)} {}
    void next(Screen screen) {
        turn ^= 1;
        if (screen == Screen::Whole) env->memory->setPicture(monitor, pictures[turn]);
        if (screen == Screen::Small) env->memory->paint(monitor, {100, 100}, marks[turn]);
    }
};
std::string memoryChangeKey(int size, Screen screen) { return "memory-" + changeKey(size, screen); }

void memoryChangeBench(benchmark::State& state, int size, Screen screen) {
    MemoryChanges changes(size);
    const Meter meter;
    for (auto _ : state) changes.next(screen);
    const Cost c = meter.per(static_cast<double>(state.iterations()));
    report(state, c);
    record(memoryChangeKey(size, screen), c);
}

// The tick drawn in memory: the change is made on the simulated monitor, the
// tick draws, Qt paints the window.
void memoryTickBench(benchmark::State& state, int size, int zoom, bool simple, Screen screen) {
    frmMain* w = viewer(size, env->memory.get());
    if (!w) {
        state.SkipWithError("the main window did not start on the simulated desktop");
        return;
    }
    configure(*w, zoom, simple, false, 4, false);
    MemoryChanges changes(size);
    const Meter meter;
    for (auto _ : state) {
        changes.next(screen);
        w->tmrMain_Timer();
        QCoreApplication::processEvents();
        finishTick();
    }
    Cost c = meter.per(static_cast<double>(state.iterations()));
    if (const Cost* ch = lookup(memoryChangeKey(size, screen)); screen != Screen::Static && ch) {
        c.orvane = std::max(0.0, c.orvane - ch->orvane);
        c.wall = std::max(0.0, c.wall - ch->wall);
    }
    report(state, c);
    if (const Cost* mc = lookup(memcpyKey(size, false)); mc && mc->total() > 0)
        state.counters["ratio_to_memcpy"] = c.total() / mc->total();
    const Cost* x11 = lookup(tickKey(size, zoom, simple, false, 4, screen));
    if (x11 && x11->total() > 0) state.counters["ratio_to_x11_tick"] = c.total() / x11->total();
    record(memoryTickKey(size, zoom, simple, screen), c);
}

void registerMemoryTicks() {
    auto reg = [](const std::string& name, auto fn) {
        benchmark::RegisterBenchmark(name.c_str(), fn)->UseRealTime()->Unit(benchmark::kMillisecond);
    };
    for (int s = 0; s < 2; ++s) {
        for (Screen change : {Screen::Whole, Screen::Small})
            reg(memoryChangeKey(s, change), [s, change](benchmark::State& st) { memoryChangeBench(st, s, change); });
        for (const auto& [zoom, simple, screen] : std::vector<std::tuple<int, bool, Screen>>{
                 {100, true, Screen::Whole}, {50, true, Screen::Whole}, {50, false, Screen::Whole},
                 {300, true, Screen::Whole}, {300, false, Screen::Whole}, {50, true, Screen::Small},
                 {100, true, Screen::Static}}) {
            if (quickRun && s == 1 && zoom != 100) continue;
            reg(memoryTickKey(s, zoom, simple, screen), [s, zoom, simple, screen](benchmark::State& st) {
                memoryTickBench(st, s, zoom, simple, screen);
            });
        }
    }
}

void registerBenchmarks(bool withX) {
    auto reg = [](const std::string& name, auto fn) {
        benchmark::RegisterBenchmark(name.c_str(), fn)->UseRealTime()->Unit(benchmark::kMillisecond);
    };
    for (int s = 0; s < 2; ++s) {
        const std::string label = kSizes[s].label;
        reg("memcpy/" + label, [s](benchmark::State& st) {
            memcpyBench(st, kSizes[s].rect.size(), memcpyKey(s, false), false);
        });
        reg("memcpy_cold/" + label, [s](benchmark::State& st) {
            memcpyBench(st, kSizes[s].rect.size(), "memcpy_cold/" + std::string(kSizes[s].label), true);
        });
        if (!withX) continue;
        const QSize visible = visibleOf(s, 300);
        reg("memcpy_visible/" + label + "/" + std::to_string(visible.width()) + "x" +
                std::to_string(visible.height()),
            [s, visible](benchmark::State& st) { memcpyBench(st, visible, memcpyKey(s, true), false); });
        for (Screen change : {Screen::Whole, Screen::Small})
            reg(changeKey(s, change), [s, change](benchmark::State& st) { changeBench(st, s, change); });
        // Nothing changes: the tick only finds that out.
        reg(tickKey(s, 100, true, false, 4, Screen::Static),
            [s](benchmark::State& st) { tickBench(st, s, 100, true, false, 4, Screen::Static); });
        if (!quickRun || s == 0)
            reg(tickKey(s, 50, true, false, 0, Screen::Static),
                [s](benchmark::State& st) { tickBench(st, s, 50, true, false, 0, Screen::Static); });
        // A small area changes: only what it reaches in the view is drawn.
        for (const auto& [zoom, simple] : std::vector<std::pair<int, bool>>{
                 {100, true}, {50, true}, {50, false}, {25, false}, {300, true}}) {
            if (quickRun && (s == 1 || zoom != 50)) continue;
            reg(tickKey(s, zoom, simple, false, 4, Screen::Small), [s, zoom, simple](benchmark::State& st) {
                tickBench(st, s, zoom, simple, false, 4, Screen::Small);
            });
        }
        for (int zoom : kZooms) {
            // A brief run only proves every path works: fewer cases at the large size.
            if (quickRun && s == 1 && zoom != 100 && zoom != 300) continue;
            for (bool smooth : {false, true}) {
                if (zoom == 100 && smooth) continue;
                reg(clientKey(s, zoom, smooth),
                    [s, zoom, smooth](benchmark::State& st) { clientBench(st, s, zoom, smooth); });
            }
            if (zoom == 100) {
                for (bool noRedraw : {false, true})
                    reg(tickKey(s, zoom, true, noRedraw, 4, Screen::Whole),
                        [s, zoom, noRedraw](benchmark::State& st) {
                            tickBench(st, s, zoom, true, noRedraw, 4, Screen::Whole);
                        });
                continue;
            }
            for (bool simple : {true, false})
                reg(tickKey(s, zoom, simple, false, 4, Screen::Whole),
                    [s, zoom, simple](benchmark::State& st) {
                        tickBench(st, s, zoom, simple, false, 4, Screen::Whole);
                    });
            if ((zoom == 50 || zoom == 300) && (!quickRun || (s == 0 && zoom == 50))) {
                // The real pointer image as marker, the pointer on the watched
                // monitor: every tick goes through a full-size memory copy first.
                for (bool simple : {true, false})
                    reg(tickKey(s, zoom, simple, false, 0, Screen::Whole),
                        [s, zoom, simple](benchmark::State& st) {
                            tickBench(st, s, zoom, simple, false, 0, Screen::Whole);
                        });
            }
        }
    }
}

// The memory a 300 % view of the 3840x2160 monitor takes, on a fresh server:
// the whole zoomed picture would be an 11520x6480 surface.
void memoryCheck() {
    frmMain* w = viewer(1);
    if (!w) return;
    configure(*w, 100, true, false, 4, true);
    const pid_t self = getpid(), xs = env->server->pid();
    const std::int64_t selfHwm0 = statusKb(self, "VmHWM"), selfRss0 = statusKb(self, "VmRSS");
    const std::int64_t xHwm0 = statusKb(xs, "VmHWM"), xRss0 = statusKb(xs, "VmRSS");
    QSize nativeView;
    for (int cursor : {4, 0}) {
        for (bool simple : {true, false}) {
            configure(*w, 300, simple, false, cursor, true);
            for (int i = 0; i < (quickRun ? 2 : 10); ++i) {
                env->client->changeArea(changedArea(1, Screen::Whole), true);
                w->tmrMain_Timer();
                finishTick();
            }
            nativeView = w->picView->widget()->size();
        }
    }
    const std::int64_t selfHwm1 = statusKb(self, "VmHWM"), selfRss1 = statusKb(self, "VmRSS");
    const std::int64_t xHwm1 = statusKb(xs, "VmHWM"), xRss1 = statusKb(xs, "VmRSS");
    const QSize whole = w->picView->geometry().size();
    std::printf(
        "\n== Memory at 300 %% of 3840x2160 (simple and quality, with and without the pointer image)\n");
    std::printf("view geometry %dx%d (%.0f MiB if it existed), native view window %dx%d\n", whole.width(),
                whole.height(), megabytes(whole), nativeView.width(), nativeView.height());
    std::printf("Orvane: peak RSS %.1f -> %.1f MiB (growth %.1f MiB), RSS %.1f -> %.1f MiB\n",
                selfHwm0 / 1024.0, selfHwm1 / 1024.0, (selfHwm1 - selfHwm0) / 1024.0, selfRss0 / 1024.0,
                selfRss1 / 1024.0);
    std::printf(
        "X server: peak RSS %.1f -> %.1f MiB (growth %.1f MiB), RSS %.1f -> %.1f MiB (growth %.1f MiB)\n",
        xHwm0 / 1024.0, xHwm1 / 1024.0, (xHwm1 - xHwm0) / 1024.0, xRss0 / 1024.0, xRss1 / 1024.0,
        (xRss1 - xRss0) / 1024.0);
    const double limit = megabytes(whole);
    const double grown = std::max(selfHwm1 - selfHwm0, xHwm1 - xHwm0) / 1024.0;
    std::printf("no surface of the whole zoomed size: %s (largest growth %.1f MiB < %.0f MiB)\n",
                grown < limit ? "yes" : "NO", grown, limit);
}

// Orvane with its own timer at 100 ms for a while: the share of one core that
// Orvane and the X server take together.
// Static: nothing on the watched monitor changes, every tick is skipped.
// Small: a small area changes after every tick, which the tick redraws.
// Whole: the whole monitor changes after every tick, so every tick draws a frame.
void wholeMachine(double seconds, Screen screen) {
    frmMain* w = viewer(0);
    if (!w) return;
    // The settings' defaults (pointer image as marker, persistent image) at
    // 100 %, the pointer on the home monitor.
    configure(*w, 100, true, false, 0, false);
    // The same window with its timer stopped, the screen changing as in the
    // run: what the event loop and the changes themselves cost, without Orvane.
    const bool changing = screen != Screen::Static;
    const double idleSeconds = std::min(seconds / 3, 10.0);
    const Meter idleMeter;
    {
        QEventLoop idle;
        QTimer changes;
        QObject::connect(&changes, &QTimer::timeout,
                         [screen] { env->client->changeArea(changedArea(0, screen), false); });
        if (changing) changes.start(100);
        QTimer::singleShot(static_cast<int>(idleSeconds * 1000), &idle, &QEventLoop::quit);
        idle.exec();
    }
    const Cost idleCost = idleMeter.per(1.0);
    int ticks = 0;
    // Connected after frmMain's own handler: runs right after each tick.
    const auto counter = QObject::connect(&w->tmrMain, &QTimer::timeout, [&ticks, changing, screen] {
        ++ticks;
        if (changing) env->client->changeArea(changedArea(0, screen), false);
    });
    w->tmrMain.start(100);
    const Meter meter;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    const Cost c = meter.per(1.0);
    w->tmrMain.stop();
    QObject::disconnect(counter);
    const char* what = screen == Screen::Static  ? "static screen"
                       : screen == Screen::Small ? "a small area changing"
                                                 : "whole screen changing";
    std::printf("\n== Whole machine (%s): 1920x1080 at 100 %%, timer 100 ms, %.1f s, %d ticks\n", what,
                c.wall / 1000.0, ticks);
    std::printf(
        "Orvane %.2f %% of a core, X server %.2f %%, together %.2f %% (per tick: Orvane %.3f ms, X %.3f "
        "ms)\n",
        100.0 * c.orvane / c.wall, 100.0 * c.x / c.wall, 100.0 * c.total() / c.wall,
        ticks ? c.orvane / ticks : 0.0, ticks ? c.x / ticks : 0.0);
    const double idleShare = 100.0 * idleCost.total() / idleCost.wall;
    std::printf(
        "timer stopped%s, %.1f s: Orvane %.2f %% of a core, X server %.2f %%; Orvane's ticks add %.2f %%\n",
        changing ? ", the same changes" : "", idleCost.wall / 1000.0, 100.0 * idleCost.orvane / idleCost.wall,
        100.0 * idleCost.x / idleCost.wall, 100.0 * c.total() / c.wall - idleShare);
}

void printSummary() {
    std::printf("\n== Per tick (ms of CPU: Orvane + X server), ratios to baselines of this run\n");
    std::printf(
        "| case | Orvane | X server | total | wall | x memcpy frame | x memcpy visible | client total | x "
        "client |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& key : env->order) {
        const Cost& c = env->measured[key];
        std::string frameRatio, visibleRatio, client, clientRatio;
        char buf[64];
        for (int s = 0; s < 2; ++s) {
            const Cost* m = lookup(memcpyKey(s, false));
            if (!m || key.find(kSizes[s].label) == std::string::npos || key.rfind("memcpy", 0) == 0) continue;
            std::snprintf(buf, sizeof buf, "%.2f", c.total() / m->total());
            frameRatio = buf;
        }
        // Zoom, mode and the matching client case are read back from the key.
        if (key.rfind("tick/", 0) == 0) {
            char label[32] = {}, mode[32] = {};
            int zoom = 0;
            std::sscanf(key.c_str(), "tick/%31[^/]/%d/%31[^/]", label, &zoom, mode);
            const int s = std::string(label) == kSizes[0].label ? 0 : 1;
            if (const Cost* mv = lookup(memcpyKey(s, true)); mv && zoom > 100) {
                std::snprintf(buf, sizeof buf, "%.2f", c.total() / mv->total());
                visibleRatio = buf;
            }
            if (const Cost* cc = lookup(clientKey(s, zoom, std::string(mode) == "quality"))) {
                std::snprintf(buf, sizeof buf, "%.2f", cc->total());
                client = buf;
                std::snprintf(buf, sizeof buf, "%.2f", c.total() / cc->total());
                clientRatio = buf;
            }
        }
        std::printf("| %s | %.3f | %.3f | %.3f | %.3f | %s | %s | %s | %s |\n", key.c_str(), c.orvane, c.x,
                    c.total(), c.wall, frameRatio.c_str(), visibleRatio.c_str(), client.c_str(),
                    clientRatio.c_str());
    }
    for (int s = 0; s < 2; ++s) {
        if (!env->frame[s].isEmpty())
            std::printf("frame for %s: %dx%d (visible part at 200/300 %%)\n", kSizes[s].label,
                        env->frame[s].width(), env->frame[s].height());
    }
}

// Takes --whole-machine-seconds=N out of argv; notes a brief run.
double takeWholeMachineSeconds(int& argc, char** argv) {
    double seconds = 1.0;
    const char* flag = "--whole-machine-seconds=";
    const char* minTime = "--benchmark_min_time=";
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], minTime, std::strlen(minTime)) == 0)
            quickRun = std::atof(argv[i] + std::strlen(minTime)) < 0.5;
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) {
            seconds = std::atof(argv[i] + std::strlen(flag));
        } else {
            argv[out++] = argv[i];
        }
    }
    argc = out;
    argv[argc] = nullptr;
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const double wholeSeconds = takeWholeMachineSeconds(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    Env e;
    env = &e;
    std::string why;
    auto monitor = [](const std::string& name, const QRect& r, bool primary) {
        return e2e::MonitorSpec{name, r.x(), r.y(), r.width(), r.height(), primary};
    };
    e.server = e2e::XServer::startXvfb(
        kScreen.width(), kScreen.height(),
        {monitor("HOME", kHome, true), monitor(kSizes[1].monitor, kSizes[1].rect, false),
         monitor(kSizes[0].monitor, kSizes[0].rect, false)},
        why);
    std::unique_ptr<QApplication> app;
    if (e.server) {
        ::setenv("DISPLAY", e.server->display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("ORVANE_CONFIG_DIR", e.configDir.path().toLocal8Bit().constData(), 1);
        static int qtArgc = 1;
        static char name[] = "bench_tick";
        static char* qtArgv[] = {name, nullptr};
        app = std::make_unique<QApplication>(qtArgc, qtArgv);
        e.platform = platform::x11::createPlatform(why);
        if (e.platform) {
            e.client = std::make_unique<XClient>(e.server->display());
            for (const WatchedSize& w : kSizes) e.client->showImage(w.rect, testPicture(w.rect.size()));
            // The frame sizes decide the visible parts the baselines use.
            // Large first: the memory check runs on it, then the benchmarks start small.
            viewer(1);
            if (!e.frame[1].isEmpty()) memoryCheck();
            viewer(0);
            if (e.frame[0].isEmpty() || e.frame[1].isEmpty()) {
                why = "the main window did not start";
                e.platform.reset();
            }
        }
    }
    const bool withX = e.platform != nullptr;
    if (!withX) std::printf("bench_tick: X benchmarks skipped: %s\n", why.c_str());

    registerBenchmarks(withX);
    if (withX) {
        // The simulated desktop with the same monitors and pictures.
        e.memory = std::make_unique<platform::fake::FakePlatform>();
        e.memory->addMonitor({"HOME", {kHome.left(), kHome.top(), kHome.right() + 1, kHome.bottom() + 1}, true});
        for (const WatchedSize& w : kSizes) {
            e.memory->addMonitor({w.monitor, {w.rect.left(), w.rect.top(), w.rect.right() + 1, w.rect.bottom() + 1}, false});
            e.memory->setPicture(w.monitor, testPicture(w.rect.size()));
        }
        registerMemoryTicks();
    }
    benchmark::RunSpecifiedBenchmarks();
    if (withX) {
        wholeMachine(wholeSeconds, Screen::Static);
        wholeMachine(wholeSeconds, Screen::Small);
        wholeMachine(wholeSeconds, Screen::Whole);
    }
    printSummary();
    benchmark::Shutdown();

    closeViewer();
    e.memory.reset();
    e.client.reset();
    e.platform.reset();
    app.reset();
    e.server.reset();
    env = nullptr;
    return 0;
}
