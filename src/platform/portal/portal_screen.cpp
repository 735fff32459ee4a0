// The desktop through xdg-desktop-portal: monitors from the toolkit, pictures
// and the pointer from the portal's streams, clicks through its remote desktop.
#include "platform/portal/portal_screen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScreen>
#include <cmath>
#include <cstdio>

#include "platform/config_folder.h"

namespace orvane::platform::portal {

namespace {
// How soon a closed session is opened again, and how often the streams are
// looked at (PipeWire may end them while the portal's session stays).
constexpr int kRetryMs = 2000;
constexpr int kWatchMs = 1000;
const std::string kScreenCastKind = "screencast";
const std::string kRemoteDesktopKind = "remote-desktop";

Rect rectOf(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

std::optional<RestoreToken> readToken() {
    QFile file(QString::fromStdString(RestoreTokenPath()));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return ParseRestoreToken(file.read(1024));
}
}  // namespace

std::string RestoreTokenPath() {
    const std::string folder = OrvaneConfigFolder();
    return folder.empty() ? folder : folder + "/portal-restore-token";
}

std::unique_ptr<PortalScreen> PortalScreen::open(std::string& why) {
    const std::optional<PortalOffer> offer = PortalSession::offer(why);
    if (!offer) return nullptr;
    std::unique_ptr<PortalScreen> s(new PortalScreen(*offer));
    s->readMonitors();
    bool declined = false;
    if (!s->openCast(why, &declined)) return nullptr;
    s->retry_.setSingleShot(true);
    s->retry_.setInterval(kRetryMs);
    connect(&s->retry_, &QTimer::timeout, s.get(), [screen = s.get()] {
        // Not while the portal is being asked already (its answer is awaited in an event loop).
        if (screen->asking_) return screen->retryLater();
        std::string why;
        bool declined = false;
        const std::string before = screen->trouble_;
        if (screen->openCast(why, &declined)) return;
        if (why != before) std::fprintf(stderr, "orvane: %s\n", why.c_str());
        // A user who declined is not asked again and again.
        if (!declined) screen->retryLater();
    });
    s->watch_.setInterval(kWatchMs);
    connect(&s->watch_, &QTimer::timeout, s.get(), &PortalScreen::check);
    s->watch_.start();
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, s.get(), &PortalScreen::onScreensChanged);
    connect(app, &QGuiApplication::screenRemoved, s.get(), &PortalScreen::onScreensChanged);
    s->followScreens();
    return s;
}

PortalScreen::~PortalScreen() = default;

void PortalScreen::readMonitors() {
    screens_.clear();
    for (QScreen* screen : QGuiApplication::screens()) {
        CastMonitor m;
        m.info = {0, rectOf(screen->geometry()), rectOf(screen->availableGeometry()),
                  screen == QGuiApplication::primaryScreen(), screen->name().toStdString()};
        m.refreshHz = static_cast<std::int32_t>(std::lround(screen->refreshRate()));
        screens_.push_back(m);
    }
    if (!cast_) return;  // the monitors shown before stay until a session shows others
    const std::map<std::string, std::uint32_t> shown = nodesOf(*cast_);
    monitors_.clear();
    for (const CastMonitor& m : screens_)
        if (shown.count(m.info.deviceName)) {
            monitors_.push_back(m);
            monitors_.back().info.handle = monitors_.size();
        }
}

std::map<std::string, std::uint32_t> PortalScreen::nodesOf(const PortalSession& session) const {
    std::vector<QRect> places;
    for (const CastMonitor& m : screens_)
        places.emplace_back(m.info.monitor.left, m.info.monitor.top, m.info.monitor.width(), m.info.monitor.height());
    const std::vector<int> match = MatchStreamsToScreens(places, session.streams());
    std::map<std::string, std::uint32_t> nodes;
    for (std::size_t i = 0; i < match.size(); ++i)
        if (match[i] >= 0) nodes[screens_[i].info.deviceName] = session.streams()[static_cast<std::size_t>(match[i])].node;
    return nodes;
}

bool PortalScreen::openCast(std::string& why, bool* declined) {
    // One remote desktop session for everything where the portal can restore
    // it; a screen cast alone where it cannot, so no dialog at every start.
    const bool combined = offer_.pointer && offer_.restorableInput;
    const std::string kind = combined ? kRemoteDesktopKind : kScreenCastKind;
    PortalSession::Options options;
    options.remoteDesktop = combined;
    options.cursorMetadata = offer_.cursorMetadata;
    options.persist = true;
    if (const std::optional<RestoreToken> token = readToken(); token && token->kind == kind)
        options.restoreToken = token->token;

    if (cast_) QObject::disconnect(cast_.get(), nullptr, this, nullptr);
    for (auto& [name, stream] : streams_)
        if (stream && stream->frame().width() > 0) previous_[name] = std::move(stream);
    streams_.clear();
    cast_.reset();

    asking_ = true;
    auto session = PortalSession::start(options, why, declined);
    asking_ = false;
    if (!session) {
        trouble_ = why;
        return false;
    }
    if (!session->restoreToken().empty()) keepToken(kind, session->restoreToken());
    cast_ = std::move(session);
    readMonitors();
    for (const auto& [name, node] : nodesOf(*cast_)) {
        // Each stream reads through a connection of its own.
        auto stream = std::make_unique<PipeWireStream>(node, cast_->openPipeWireRemote());
        if (!stream->ok()) {
            why = stream->error();
            trouble_ = why;
            return false;
        }
        streams_[name] = std::move(stream);
    }
    if (streams_.empty()) {
        why = "none of the portal's streams shows a monitor of this desktop";
        trouble_ = why;
        return false;
    }
    connect(cast_.get(), &PortalSession::sessionClosed, this, &PortalScreen::onSessionClosed);
    trouble_.clear();
    if (layoutChanged_) layoutChanged_();
    return true;
}

void PortalScreen::keepToken(const std::string& kind, const std::string& token) {
    const QString path = QString::fromStdString(RestoreTokenPath());
    if (path.isEmpty()) return;
    // Written whole or not at all: a half-written token would only mean asking again, but still.
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(RestoreTokenText({kind, token})) < 0 || !file.commit())
        std::fprintf(stderr, "orvane: cannot keep the screen cast permission in %s; the desktop will ask again\n",
                     path.toLocal8Bit().constData());
}

void PortalScreen::retryLater() {
    if (!retry_.isActive()) retry_.start();
}

void PortalScreen::onSessionClosed() {
    trouble_ = "the desktop portal closed the screen cast";
    std::fprintf(stderr, "orvane: the desktop portal closed the screen cast; the view keeps its last picture until it is back\n");
    retryLater();
}

void PortalScreen::check() {
    if (!cast_ || !trouble_.empty()) return;
    for (const auto& [name, stream] : streams_)
        if (!stream->ok()) {
            trouble_ = "the screen cast stopped: " + stream->error();
            std::fprintf(stderr, "orvane: %s; the view keeps its last picture until it is back\n", trouble_.c_str());
            retryLater();
            return;
        }
}

void PortalScreen::followScreens() {
    for (QScreen* screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, &PortalScreen::onScreensChanged, Qt::UniqueConnection);
}

void PortalScreen::onScreensChanged() {
    followScreens();
    readMonitors();
    if (layoutChanged_) layoutChanged_();
    // A monitor that came needs a session that shows it.
    retryLater();
}

PipeWireStream* PortalScreen::stream(const std::string& name) {
    const auto live = streams_.find(name);
    const auto before = previous_.find(name);
    if (live != streams_.end() && live->second->framesReceived() > 0) {
        if (before != previous_.end()) previous_.erase(before);
        return live->second.get();
    }
    if (before != previous_.end()) return before->second.get();
    return live != streams_.end() ? live->second.get() : nullptr;
}

std::vector<std::pair<std::string, const PipeWireStream*>> PortalScreen::liveStreams() const {
    std::vector<std::pair<std::string, const PipeWireStream*>> out;
    for (const auto& [name, stream] : streams_) out.emplace_back(name, stream.get());
    return out;
}

PortalSession* PortalScreen::input() {
    if (cast_ && cast_->hasPointer() && !cast_->closed()) return cast_.get();
    if (input_ && !input_->closed()) return input_.get();
    input_.reset();
    if (!offer_.pointer || asking_) return nullptr;
    // Asked for at the first forwarded click: the portal may show its dialog now.
    PortalSession::Options options;
    options.remoteDesktop = true;
    options.cursorMetadata = false;
    options.persist = offer_.restorableInput;
    if (const std::optional<RestoreToken> token = readToken(); token && token->kind == kRemoteDesktopKind)
        options.restoreToken = token->token;
    std::string why;
    asking_ = true;
    auto session = PortalSession::start(options, why);
    asking_ = false;
    if (!session || !session->hasPointer()) {
        std::fprintf(stderr, "orvane: no click can be forwarded: %s\n",
                     session ? "the desktop did not allow the pointer" : why.c_str());
        return nullptr;
    }
    if (options.persist && !session->restoreToken().empty()) keepToken(kRemoteDesktopKind, session->restoreToken());
    input_ = std::move(session);
    inputNodes_ = nodesOf(*input_);
    return input_.get();
}

bool PortalScreen::movePointer(const std::string& name, double x, double y) {
    PortalSession* in = input();
    const CastMonitor* m = monitor(name);
    if (!in || !m) return false;
    const std::map<std::string, std::uint32_t> nodes = in == cast_.get() ? nodesOf(*cast_) : inputNodes_;
    const auto node = nodes.find(name);
    if (node == nodes.end()) return false;
    // The portal takes the point in the stream's own size in the layout.
    for (const StreamPlace& s : in->streams())
        if (s.node == node->second && !s.size.isEmpty()) {
            x = x * s.size.width() / m->info.monitor.width();
            y = y * s.size.height() / m->info.monitor.height();
        }
    if (in->movePointer(node->second, x, y)) return true;
    // A session the desktop ended without a word: the next click asks for a new one.
    if (in == input_.get()) input_.reset();
    return false;
}

bool PortalScreen::button(int evdevCode, bool pressed) {
    // A press may ask for the remote desktop; a release goes where the press went.
    PortalSession* in = pressed ? input()
                                : (cast_ && cast_->hasPointer() ? cast_.get() : input_.get());
    return in && in->button(evdevCode, pressed);
}

}  // namespace orvane::platform::portal
