// A screen cast of GNOME's monitors tied to a remote-desktop session, through
// mutter's own D-Bus services.
#include "platform/gnome/mutter_session.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QVariantMap>
#include <algorithm>

namespace orvane::platform::gnome {

namespace {

const QString kRemoteDesktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kScreenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");
const QString kRemoteSession = QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session");
const QString kCastSession = QStringLiteral("org.gnome.Mutter.ScreenCast.Session");
const QString kCastStream = QStringLiteral("org.gnome.Mutter.ScreenCast.Stream");
// Cursor as metadata beside the picture: the pointer's position comes from it.
constexpr uint kCursorModeMetadata = 2;

QString errorOf(const QDBusMessage& reply) {
    return reply.errorName().isEmpty() ? QStringLiteral("no answer") : reply.errorName() + ": " + reply.errorMessage();
}

}  // namespace

bool MutterSession::available(const QDBusConnection& bus) {
    if (!bus.isConnected() || !bus.interface()) return false;
    return bus.interface()->isServiceRegistered(kRemoteDesktop).value() &&
           bus.interface()->isServiceRegistered(kScreenCast).value();
}

std::unique_ptr<MutterSession> MutterSession::start(const std::vector<std::string>& connectors, std::string& why,
                                                    int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    std::unique_ptr<MutterSession> s(new MutterSession);
    const auto fail = [&](const QString& what, const QDBusMessage& reply) {
        why = (what + ": " + errorOf(reply)).toStdString();
        return nullptr;
    };

    QDBusInterface remote(kRemoteDesktop, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), kRemoteDesktop, bus);
    remote.setTimeout(timeoutMs);
    QDBusMessage reply = remote.call(QStringLiteral("CreateSession"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return fail(QStringLiteral("remote desktop refused"), reply);
    s->remotePath_ = reply.arguments().at(0).value<QDBusObjectPath>().path();
    QDBusInterface remoteSession(kRemoteDesktop, s->remotePath_, kRemoteSession, bus);
    const QString sessionId = remoteSession.property("SessionId").toString();
    bus.connect(kRemoteDesktop, s->remotePath_, kRemoteSession, QStringLiteral("Closed"), s.get(), SLOT(onClosed()));

    QDBusInterface cast(kScreenCast, QStringLiteral("/org/gnome/Mutter/ScreenCast"), kScreenCast, bus);
    cast.setTimeout(timeoutMs);
    reply = cast.call(QStringLiteral("CreateSession"),
                      QVariantMap{{QStringLiteral("remote-desktop-session-id"), sessionId}});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return fail(QStringLiteral("screen cast refused"), reply);
    s->castPath_ = reply.arguments().at(0).value<QDBusObjectPath>().path();
    QDBusInterface castSession(kScreenCast, s->castPath_, kCastSession, bus);
    castSession.setTimeout(timeoutMs);
    for (const std::string& connector : connectors) {
        reply = castSession.call(QStringLiteral("RecordMonitor"), QString::fromStdString(connector),
                                 QVariantMap{{QStringLiteral("cursor-mode"), QVariant::fromValue(kCursorModeMetadata)}});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return fail(QStringLiteral("monitor ") + QString::fromStdString(connector) + QStringLiteral(" not recorded"),
                        reply);
        const QString path = reply.arguments().at(0).value<QDBusObjectPath>().path();
        bus.connect(kScreenCast, path, kCastStream, QStringLiteral("PipeWireStreamAdded"), s.get(),
                    SLOT(onStreamAdded(uint, QDBusMessage)));
        s->streams_.push_back({connector, path, 0});
    }

    remoteSession.setTimeout(timeoutMs);
    reply = remoteSession.call(QStringLiteral("Start"));
    if (reply.type() != QDBusMessage::ReplyMessage) return fail(QStringLiteral("session did not start"), reply);

    // The streams' nodes are announced by signals once the session runs.
    QElapsedTimer t;
    t.start();
    const auto allKnown = [&s] {
        return std::all_of(s->streams_.begin(), s->streams_.end(), [](const Stream& st) { return st.node != 0; });
    };
    while (!allKnown() && !s->closed_ && t.elapsed() < timeoutMs) {
        QEventLoop wait;
        QTimer::singleShot(20, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!allKnown()) {
        why = s->closed_ ? "mutter closed the session" : "mutter announced no stream";
        return nullptr;
    }
    return s;
}

MutterSession::~MutterSession() {
    if (closed_ || remotePath_.isEmpty()) return;
    // Stopping the remote desktop session stops the screen cast tied to it.
    callRemote(QStringLiteral("Stop"), {});
}

void MutterSession::onStreamAdded(uint node, const QDBusMessage& message) {
    for (Stream& s : streams_)
        if (s.path == message.path()) s.node = node;
}

void MutterSession::onClosed() {
    if (closed_) return;
    closed_ = true;
    emit sessionClosed();
}

bool MutterSession::callRemote(const QString& method, const QVariantList& arguments) {
    if (closed_) return false;
    // Plain messages: an interface object would ask the service to describe
    // itself at every pointer move.
    QDBusMessage call = QDBusMessage::createMethodCall(kRemoteDesktop, remotePath_, kRemoteSession, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

bool MutterSession::movePointer(const std::string& connector, double x, double y) {
    const auto it =
        std::find_if(streams_.begin(), streams_.end(), [&](const Stream& s) { return s.connector == connector; });
    if (it == streams_.end()) return false;
    return callRemote(QStringLiteral("NotifyPointerMotionAbsolute"), {it->path, x, y});
}

bool MutterSession::button(int evdevCode, bool pressed) {
    return callRemote(QStringLiteral("NotifyPointerButton"), {evdevCode, pressed});
}

}  // namespace orvane::platform::gnome
