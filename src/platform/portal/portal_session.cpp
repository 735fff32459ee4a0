// A screen cast, or a remote desktop with its screen cast, through
// xdg-desktop-portal.
#include "platform/portal/portal_session.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <unistd.h>

namespace orvane::platform::portal {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
constexpr uint kSourceMonitor = 1;
constexpr uint kDevicePointer = 2;
constexpr uint kCursorEmbedded = 2, kCursorMetadata = 4;
constexpr uint kPersistUntilRevoked = 2;
constexpr uint kResponseDeclined = 1;
// Asking, choosing and opening a stream take no time to speak of; only
// the start may wait for the user.
constexpr int kQuickMs = 10000;

std::optional<uint> portalProperty(QDBusConnection& bus, const QString& interface, const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({interface, name});
    const QDBusMessage reply = bus.call(get, QDBus::Block, kQuickMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    bool ok = false;
    const uint value = reply.arguments().at(0).value<QDBusVariant>().variant().toUInt(&ok);
    return ok ? std::optional<uint>(value) : std::nullopt;
}

// The streams of a Start answer: a(ua{sv}), each with its position (ii) and size (ii).
std::vector<StreamPlace> streamsOf(const QVariant& value) {
    std::vector<StreamPlace> out;
    if (!value.canConvert<QDBusArgument>()) return out;
    const QDBusArgument arg = value.value<QDBusArgument>();
    const auto pair = [](const QVariant& v) -> std::optional<QPoint> {
        if (!v.canConvert<QDBusArgument>()) return std::nullopt;
        const QDBusArgument a = v.value<QDBusArgument>();
        if (a.currentSignature() != QLatin1String("(ii)")) return std::nullopt;
        int x = 0, y = 0;
        a.beginStructure();
        a >> x >> y;
        a.endStructure();
        return QPoint(x, y);
    };
    if (arg.currentSignature() != QLatin1String("a(ua{sv})")) return out;
    arg.beginArray();
    while (!arg.atEnd()) {
        uint node = 0;
        QVariantMap props;
        arg.beginStructure();
        arg >> node >> props;
        arg.endStructure();
        StreamPlace s;
        s.node = node;
        s.position = pair(props.value(QStringLiteral("position")));
        if (const std::optional<QPoint> size = pair(props.value(QStringLiteral("size"))))
            s.size = QSize(size->x(), size->y());
        out.push_back(s);
    }
    arg.endArray();
    return out;
}

}  // namespace

std::optional<PortalOffer> PortalSession::offer(std::string& why) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        why = "no session bus";
        return std::nullopt;
    }
    // Reading a property starts the portal when it is not running yet.
    const std::optional<uint> sources = portalProperty(bus, kScreenCast, QStringLiteral("AvailableSourceTypes"));
    if (!sources || (*sources & kSourceMonitor) == 0) {
        why = "the desktop portal (org.freedesktop.portal.Desktop) offers no screen cast of monitors";
        return std::nullopt;
    }
    PortalOffer o;
    o.screenCast = true;
    o.cursorMetadata = (portalProperty(bus, kScreenCast, QStringLiteral("AvailableCursorModes")).value_or(0) & kCursorMetadata) != 0;
    o.pointer = (portalProperty(bus, kRemoteDesktop, QStringLiteral("AvailableDeviceTypes")).value_or(0) & kDevicePointer) != 0;
    o.restorableInput = portalProperty(bus, kRemoteDesktop, QStringLiteral("version")).value_or(0) >= 2;
    return o;
}

std::unique_ptr<PortalSession> PortalSession::start(const Options& options, std::string& why, bool* declined) {
    if (declined) *declined = false;
    std::unique_ptr<PortalSession> s(new PortalSession);
    const QString main = options.remoteDesktop ? kRemoteDesktop : kScreenCast;
    QVariantMap results;
    if (!s->request(main, QStringLiteral("CreateSession"), {},
                    {{QStringLiteral("session_handle_token"), QStringLiteral("orvane")}}, kQuickMs, results, why,
                    declined))
        return nullptr;
    s->session_ = results.value(QStringLiteral("session_handle")).toString();
    if (s->session_.isEmpty()) {
        why = "the portal named no session";
        return nullptr;
    }
    QDBusConnection::sessionBus().connect(kService, s->session_, kSession, QStringLiteral("Closed"), s.get(),
                                          SLOT(onClosed()));
    const QDBusObjectPath session(s->session_);
    const bool restoreHere = options.persist;
    if (options.remoteDesktop) {
        QVariantMap devices{{QStringLiteral("types"), kDevicePointer}};
        if (restoreHere) {
            devices[QStringLiteral("persist_mode")] = kPersistUntilRevoked;
            if (!options.restoreToken.empty())
                devices[QStringLiteral("restore_token")] = QString::fromStdString(options.restoreToken);
        }
        if (!s->request(kRemoteDesktop, QStringLiteral("SelectDevices"), {QVariant::fromValue(session)}, devices,
                        kQuickMs, results, why, declined))
            return nullptr;
    }
    QVariantMap sources{{QStringLiteral("types"), kSourceMonitor},
                        {QStringLiteral("multiple"), true},
                        {QStringLiteral("cursor_mode"), options.cursorMetadata ? kCursorMetadata : kCursorEmbedded}};
    // A remote desktop session is restored through its devices, never its sources.
    if (restoreHere && !options.remoteDesktop) {
        sources[QStringLiteral("persist_mode")] = kPersistUntilRevoked;
        if (!options.restoreToken.empty())
            sources[QStringLiteral("restore_token")] = QString::fromStdString(options.restoreToken);
    }
    if (!s->request(kScreenCast, QStringLiteral("SelectSources"), {QVariant::fromValue(session)}, sources, kQuickMs,
                    results, why, declined))
        return nullptr;
    if (!s->request(main, QStringLiteral("Start"), {QVariant::fromValue(session), QString()}, {}, options.timeoutMs,
                    results, why, declined))
        return nullptr;
    s->streams_ = streamsOf(results.value(QStringLiteral("streams")));
    s->restoreToken_ = results.value(QStringLiteral("restore_token")).toString().toStdString();
    s->pointer_ = options.remoteDesktop && (results.value(QStringLiteral("devices")).toUInt() & kDevicePointer) != 0;
    if (s->streams_.empty()) {
        why = "the portal shared no monitor";
        return nullptr;
    }
    return s;
}

PortalSession::~PortalSession() {
    if (closed_ || session_.isEmpty()) return;
    QDBusMessage close = QDBusMessage::createMethodCall(kService, session_, kSession, QStringLiteral("Close"));
    QDBusConnection::sessionBus().call(close, QDBus::Block, 2000);
}

bool PortalSession::request(const QString& interface, const QString& method, QVariantList arguments,
                            QVariantMap options, int timeoutMs, QVariantMap& results, std::string& why,
                            bool* declined) {
    static int counter = 0;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString token = QStringLiteral("orvane%1").arg(++counter);
    // The answer comes on a request object whose path the caller can tell
    // beforehand: listened to before the call, so no answer is missed.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    bus.connect(kService, path, kRequest, QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
    options[QStringLiteral("handle_token")] = token;
    if (options.contains(QStringLiteral("session_handle_token"))) options[QStringLiteral("session_handle_token")] = token;
    arguments << options;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, interface, method);
    call.setArguments(arguments);
    response_.reset();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kQuickMs);
    QElapsedTimer t;
    t.start();
    while (reply.type() == QDBusMessage::ReplyMessage && !response_ && !closed_ && t.elapsed() < timeoutMs) {
        QEventLoop wait;
        QTimer::singleShot(20, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    bus.disconnect(kService, path, kRequest, QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
    const std::string what = (interface.section(QLatin1Char('.'), -1) + QLatin1Char('.') + method).toStdString();
    if (reply.type() != QDBusMessage::ReplyMessage) {
        why = what + " failed: " + (reply.errorMessage().isEmpty() ? "no answer" : reply.errorMessage().toStdString());
        return false;
    }
    if (!response_) {
        why = closed_ ? "the portal closed the session" : what + " was not answered";
        return false;
    }
    if (response_->first != 0) {
        if (declined && response_->first == kResponseDeclined) *declined = true;
        why = what + (response_->first == kResponseDeclined ? " was declined" : " failed");
        return false;
    }
    results = response_->second;
    return true;
}

void PortalSession::onResponse(const QDBusMessage& message) {
    if (message.arguments().size() < 2) return;
    response_ = std::make_pair(message.arguments().at(0).toUInt(), qdbus_cast<QVariantMap>(message.arguments().at(1)));
}

void PortalSession::onClosed() {
    if (closed_) return;
    closed_ = true;
    emit sessionClosed();
}

int PortalSession::openPipeWireRemote() {
    QDBusMessage open = QDBusMessage::createMethodCall(kService, kPath, kScreenCast, QStringLiteral("OpenPipeWireRemote"));
    open.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap()});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(open, QDBus::Block, kQuickMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return -1;
    const QDBusUnixFileDescriptor fd = reply.arguments().at(0).value<QDBusUnixFileDescriptor>();
    return fd.isValid() ? ::dup(fd.fileDescriptor()) : -1;
}

bool PortalSession::call(const QString& method, const QVariantList& arguments) {
    if (closed_ || !pointer_) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kRemoteDesktop, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

bool PortalSession::movePointer(std::uint32_t node, double x, double y) {
    return call(QStringLiteral("NotifyPointerMotionAbsolute"),
                {QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap(), QVariant::fromValue(uint{node}), x, y});
}

bool PortalSession::button(int evdevCode, bool pressed) {
    return call(QStringLiteral("NotifyPointerButton"), {QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap(),
                                                         evdevCode, QVariant::fromValue(uint{pressed ? 1u : 0u})});
}

}  // namespace orvane::platform::portal
