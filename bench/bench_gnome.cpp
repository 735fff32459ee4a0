// What a whole changing 1920x1080 frame costs on GNOME's Wayland session
// (run inside tests/gnome/gnome-session.sh: bench/run-gnome-bench.sh). This
// program's window fills Meta-0 and paints it a different solid colour 10
// times a second (--rate=N: N times); Orvane runs on Meta-1 watching Meta-0
// at 100 % every 20 ms.
// Per frame the client painted: Orvane's, mutter's and PipeWire's CPU
// (utime + stime from /proc/PID/stat, threads that ended included), next to
// a memcpy of the frame measured in the same run, and as a ratio to the X11
// tick of a whole 1920x1080 frame when bench_tick's figure is given
// (--x11-tick-ms; run-gnome-bench.sh runs bench_tick first).
//
// Before the measured frames a watcher reads Meta-1's screen cast and counts
// how many of the painted pictures reached Orvane's view ("view_shown", a
// lower bound: the watcher may miss one). The watcher is closed before the
// measurement, since casting Meta-1 would add to mutter's and PipeWire's cost.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/gnome/mutter_session.h"
#include "platform/screencast/pipewire_stream.h"
#include "proc_stats.h"

namespace {

using namespace orvane::bench;
using orvane::platform::gnome::MutterSession;
using orvane::platform::screencast::PipeWireStream;

const QSize kFrame(1920, 1080);
int periodMs = 100;    // --rate=N: N client frames a second (default 10)
double x11TickMs = 0;  // --x11-tick-ms=T: bench_tick's whole-frame X11 tick, for the ratio
constexpr int kIntervalMs = 20;
constexpr int kFrames = 150;      // measured
constexpr int kCheckFrames = 30;  // watched in Orvane's view

// The client: a full-screen window (mutter puts it on the monitor with the
// pointer, Meta-0 at start), one solid colour a frame.
class Client : public QWidget {
public:
    Client() { setCursor(Qt::BlankCursor); }
    static QRgb colourOf(int n) {
        return 0xff000000u | ((static_cast<unsigned>(n) * 0x9e3779u + 0x203040u) & 0xffffffu);
    }
    void next() {
        ++frame_;
        update();
    }
    [[nodiscard]] int frame() const { return frame_; }
    [[nodiscard]] int painted() const { return painted_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor::fromRgb(colourOf(frame_)));
        ++painted_;
    }

private:
    int frame_ = 0;
    int painted_ = 0;
};

struct Env {
    std::unique_ptr<Client> client;
    QTemporaryDir config;
    QProcess orvane;
    pid_t mutter = 0, pipewire = 0;
    double memcpyMs = 0;
    double shown = -1;  // pictures seen in the view / pictures painted
    double watchedTotalMs = 0;
};
Env* env = nullptr;

void waitMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The session's daemon started beside this program by gnome-session.sh.
pid_t sibling(const char* name) {
    const std::string parent = std::to_string(getppid());
    std::error_code ec;
    for (const auto& p : std::filesystem::directory_iterator("/proc", ec)) {
        std::ifstream comm(p.path() / "comm"), stat(p.path() / "stat");
        std::string c, line;
        if (!std::getline(comm, c) || c != name || !std::getline(stat, line)) continue;
        // pid (comm) state ppid …
        const auto close = line.rfind(')');
        if (close != std::string::npos && line.compare(close + 4, parent.size() + 1, parent + " ") == 0)
            return static_cast<pid_t>(std::stol(p.path().filename().string()));
    }
    return 0;
}

// Paints `frames` pictures at the client's rate; `during` runs every few ms.
template <typename F>
void paintFrames(int frames, F during) {
    const double start = wallMs();
    for (int i = 1; i <= frames; ++i) {
        env->client->next();
        while (wallMs() < start + i * periodMs) {
            waitMs(2);
            during();
        }
    }
}

// Opens Orvane's view and counts the painted pictures that reach it, read
// from Meta-1's screen cast at its centre (inside Orvane's window).
bool checkView(std::string& why) {
    auto session = MutterSession::start({"Meta-1"}, why);
    if (!session) return false;
    PipeWireStream eyes(session->streams()[0].node);
    if (!eyes.ok()) return why = "no screen cast of Meta-1: " + eyes.error(), false;
    session->movePointer("Meta-1", 1270, 710);  // Orvane's window opens on the pointer's monitor
    waitMs(200);
    QFile ini(env->config.filePath(QStringLiteral("Orvane.ini")));
    if (!ini.open(QIODevice::WriteOnly) ||
        ini.write(QStringLiteral("[Main]\r\nDisplay=Meta-0\r\nZoom= 100\r\nInterval= %1\r\n[View]\r\n"
                                 "WindowPos_Width= 19200\r\nWindowPos_Height= 10800\r\n")
                      .arg(kIntervalMs)
                      .toUtf8()) < 0)
        return why = "cannot write Orvane's settings", false;
    ini.close();
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("ORVANE_CONFIG_DIR"), env->config.path());
    env->orvane.setProcessEnvironment(e);
    env->orvane.setStandardOutputFile(QProcess::nullDevice());
    env->orvane.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    env->orvane.start(qEnvironmentVariable("ORVANE_BINARY", QStringLiteral(ORVANE_BINARY)), {});
    if (!env->orvane.waitForStarted()) return why = "Orvane did not start", false;

    if (!eyes.waitForFirstFrame(5000)) return why = "no picture of Meta-1: " + eyes.error(), false;
    const auto centre = [&] {
        return eyes.frame().pixel(eyes.frame().width() / 2, eyes.frame().height() / 2);
    };
    // (the view is a few frames behind the client)
    const auto recent = [&] {
        for (int n = env->client->frame(); n > env->client->frame() - 10; --n)
            if (centre() == Client::colourOf(n)) return true;
        return false;
    };
    bool showing = false;
    for (int i = 0; i < 35 && !showing; ++i) paintFrames(6, [&] { showing = showing || recent(); });
    if (!showing) return why = "Orvane's view did not show Meta-0", false;

    const int first = env->client->frame() + 1;
    std::set<QRgb> painted, seen;
    for (int n = first; n < first + kCheckFrames; ++n) painted.insert(Client::colourOf(n));
    int frames = -1;
    const auto look = [&] {
        if (eyes.framesReceived() == frames) return;
        frames = eyes.framesReceived();
        if (painted.count(centre())) seen.insert(centre());
    };
    paintFrames(kCheckFrames, look);
    for (const double until = wallMs() + 500; wallMs() < until; look())
        waitMs(2);  // the last ones on their way
    env->shown = static_cast<double>(seen.size()) / kCheckFrames;
    return true;
}

void memcpyFrame(benchmark::State& state) {
    const std::size_t bytes = static_cast<std::size_t>(kFrame.width()) * kFrame.height() * 4;
    std::vector<char> src(bytes, 1), dst(bytes);
    const double cpu = processCpuMs();
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    env->memcpyMs = (processCpuMs() - cpu) / static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = env->memcpyMs;
}

// The measured frames, with Orvane watching, or with Orvane closed: what the
// client's frames cost mutter and PipeWire alone.
void wholeFrame(benchmark::State& state, bool watched) {
    if (!watched && env->orvane.state() != QProcess::NotRunning) {
        env->orvane.terminate();
        if (!env->orvane.waitForFinished(5000)) env->orvane.kill();
        waitMs(1000);  // its screen cast ends
    }
    const pid_t pids[] = {watched ? static_cast<pid_t>(env->orvane.processId()) : 0, env->mutter,
                          env->pipewire};
    const char* names[] = {"orvane", "mutter", "pipewire"};
    double cpu[3];
    for (int i = 0; i < 3; ++i) cpu[i] = pids[i] ? statCpuMs(pids[i]) : 0;
    const int painted = env->client->painted();
    for (auto _ : state) paintFrames(1, [] {});
    waitMs(periodMs);  // the last frame's work
    const double frames = env->client->painted() - painted;
    double total = 0;
    for (int i = 0; i < 3; ++i) {
        if (!pids[i]) continue;
        const double perFrame = (statCpuMs(pids[i]) - cpu[i]) / frames;
        state.counters[std::string(names[i]) + "_ms"] = perFrame;
        if (env->memcpyMs > 0) state.counters[std::string(names[i]) + "_x_memcpy"] = perFrame / env->memcpyMs;
        total += perFrame;
    }
    state.counters["total_ms"] = total;
    if (env->memcpyMs > 0) state.counters["total_x_memcpy"] = total / env->memcpyMs;
    if (x11TickMs > 0) state.counters["total_x_x11_tick"] = total / x11TickMs;
    state.counters["frames_painted"] = frames;
    if (watched) {
        state.counters["view_shown"] = env->shown;
        env->watchedTotalMs = total;
    } else if (env->watchedTotalMs > 0) {
        // What watching adds: Orvane's CPU and what its casts cost mutter and PipeWire.
        state.counters["watching_ms"] = env->watchedTotalMs - total;
        if (env->memcpyMs > 0)
            state.counters["watching_x_memcpy"] = (env->watchedTotalMs - total) / env->memcpyMs;
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc;) {
        if (std::strncmp(argv[i], "--rate=", 7) == 0) {
            const int rate = std::atoi(argv[i] + 7);
            if (rate < 1 || rate > 60) return std::fprintf(stderr, "bench_gnome: --rate is 1 to 60\n"), 1;
            periodMs = 1000 / rate;
        } else if (std::strncmp(argv[i], "--x11-tick-ms=", 14) == 0) {
            x11TickMs = std::atof(argv[i] + 14);
        } else {
            ++i;
            continue;
        }
        std::copy(argv + i + 1, argv + argc + 1, argv + i);
        --argc;
    }
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Only in the test session: on a user's own desktop it would cover a monitor.
    // Elsewhere (tools/test.sh runs every benchmark briefly) it is skipped.
    const pid_t mutter = sibling("mutter"), pipewire = sibling("pipewire");
    if (!std::getenv("WAYLAND_DISPLAY") || !mutter || !pipewire) {
        std::printf(
            "bench_gnome: skipped: not in tests/gnome/gnome-session.sh (bench/run-gnome-bench.sh runs it)\n");
        return 0;
    }
    ::setenv("QT_QPA_PLATFORM", "wayland", 1);
    QApplication app(argc, argv);
    Env e;
    env = &e;
    e.mutter = mutter;
    e.pipewire = pipewire;
    e.client = std::make_unique<Client>();
    e.client->showFullScreen();
    for (int i = 0; i < 100 && (e.client->width() != kFrame.width() || e.client->painted() == 0); ++i)
        waitMs(50);
    std::string why;
    if (e.client->size() != kFrame) why = "the client window did not fill Meta-0";
    if (why.empty() && checkView(why)) {
        waitMs(500);  // the watcher's session closes
        benchmark::RegisterBenchmark("memcpy/1920x1080", memcpyFrame)->Unit(benchmark::kMillisecond);
        for (bool watched : {true, false})
            benchmark::RegisterBenchmark(
                watched ? "gnome-frame/1920x1080/100/watched" : "gnome-frame/1920x1080/client-only",
                wholeFrame, watched)
                ->Iterations(kFrames)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    e.orvane.terminate();
    if (!e.orvane.waitForFinished(5000)) e.orvane.kill();
    env = nullptr;
    if (!why.empty()) std::fprintf(stderr, "bench_gnome: %s\n", why.c_str());
    return why.empty() ? 0 : 1;
}
