// GNOME's monitors and their live screen cast through one mutter session.
#include "platform/gnome/gnome_screen.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <cmath>
#include <cstdio>


namespace orvane::platform::gnome {

namespace {
namespace dc = desktop::gnome;
// How soon a refused or closed session is tried again.
constexpr int kRetryMs = 2000;
}  // namespace

std::vector<GnomeMonitor> MonitorsFromState(const dc::State& state) {
    const quint32 layoutMode = state.properties.value(QStringLiteral("layout-mode"), dc::kLayoutPhysical).toUInt();
    std::vector<GnomeMonitor> out;
    for (const dc::LogicalMonitor& lm : state.logicalMonitors)
        for (const dc::MonitorId& id : lm.monitors)
            for (const dc::Monitor& m : state.monitors) {
                if (m.id.connector != id.connector) continue;
                const dc::Mode* mode = dc::currentModeOf(m);
                if (!mode) continue;
                const QSize size = dc::layoutSize(*mode, lm, layoutMode);
                const Rect rect{lm.x, lm.y, lm.x + size.width(), lm.y + size.height()};
                GnomeMonitor g;
                g.info = {static_cast<MonitorHandle>(out.size() + 1), rect, rect, lm.primary, id.connector.toStdString()};
                g.refreshHz = static_cast<std::int32_t>(std::lround(mode->refresh));
                out.push_back(g);
            }
    return out;
}

bool GnomeScreen::available() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return MutterSession::available(bus) && bus.interface() &&
           bus.interface()->isServiceRegistered(QString::fromLatin1(dc::kService)).value();
}

GnomeScreen::GnomeScreen() {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] {
        std::string why;
        if (!openSession(why)) retryLater();
    });
}

GnomeScreen::~GnomeScreen() = default;

std::unique_ptr<GnomeScreen> GnomeScreen::open(std::string& why) {
    std::unique_ptr<GnomeScreen> s(new GnomeScreen);
    if (!s->readMonitors(why) || !s->openSession(why)) return nullptr;
    QDBusConnection::sessionBus().connect(QString::fromLatin1(dc::kService), QString::fromLatin1(dc::kPath),
                                          QString::fromLatin1(dc::kInterface), QStringLiteral("MonitorsChanged"),
                                          s.get(), SLOT(onMonitorsChanged()));
    return s;
}

bool GnomeScreen::readMonitors(std::string& why) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const std::optional<dc::State> state = dc::readState(bus, why);
    if (!state) return false;
    monitors_ = MonitorsFromState(*state);
    return true;
}

bool GnomeScreen::openSession(std::string& why) {
    std::vector<std::string> connectors;
    for (const GnomeMonitor& m : monitors_) connectors.push_back(m.info.deviceName);
    if (session_) QObject::disconnect(session_.get(), nullptr, this, nullptr);
    session_.reset();
    // The streams of the session that ended keep their last pictures until
    // the new ones show theirs.
    for (auto& [name, stream] : streams_)
        if (stream && stream->frame().width() > 0) previous_[name] = std::move(stream);
    streams_.clear();

    auto session = MutterSession::start(connectors, why);
    if (!session) {
        trouble_ = why;
        return false;
    }
    for (const MutterSession::Stream& st : session->streams()) {
        auto stream = std::make_unique<PipeWireStream>(st.node);
        if (!stream->ok()) {
            why = stream->error();
            trouble_ = why;
            return false;
        }
        streams_[st.connector] = std::move(stream);
    }
    connect(session.get(), &MutterSession::sessionClosed, this, &GnomeScreen::onSessionClosed);
    session_ = std::move(session);
    trouble_.clear();
    return true;
}

void GnomeScreen::retryLater() {
    if (!retry_.isActive()) retry_.start();
}

void GnomeScreen::onSessionClosed() {
    // Mutter closes every session while remote access is inhibited (the lock
    // screen) and refuses new ones until it is allowed again.
    trouble_ = "GNOME closed the screen cast";
    std::fprintf(stderr, "orvane: GNOME closed the screen cast; the view keeps its last picture until it is back\n");
    retryLater();
}

void GnomeScreen::onMonitorsChanged() {
    std::string why;
    if (readMonitors(why) && !openSession(why)) retryLater();
    if (layoutChanged_) layoutChanged_();
}

PipeWireStream* GnomeScreen::stream(const std::string& connector) {
    const auto live = streams_.find(connector);
    const auto before = previous_.find(connector);
    if (live != streams_.end() && live->second->framesReceived() > 0) {
        if (before != previous_.end()) previous_.erase(before);
        return live->second.get();
    }
    if (before != previous_.end()) return before->second.get();
    return live != streams_.end() ? live->second.get() : nullptr;
}

std::vector<std::pair<std::string, const PipeWireStream*>> GnomeScreen::liveStreams() const {
    std::vector<std::pair<std::string, const PipeWireStream*>> out;
    for (const auto& [name, stream] : streams_) out.emplace_back(name, stream.get());
    return out;
}

bool GnomeScreen::movePointer(const std::string& connector, double x, double y) {
    const GnomeMonitor* m = monitor(connector);
    if (!session_ || !m) return false;
    if (PipeWireStream* s = stream(connector); s && !s->frame().isNull()) {
        x = x * s->frame().width() / m->info.monitor.width();
        y = y * s->frame().height() / m->info.monitor.height();
    }
    return session_->movePointer(connector, x, y);
}

}  // namespace orvane::platform::gnome
