#include "platform/wayland/sway_ipc.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>
#include <cstring>

namespace orvane::platform::wayland {

namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicSize = 6;
constexpr std::uint32_t kGetTree = 4;

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::read(fd, data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

QRect rectOf(const QJsonValue& v) {
    const QJsonObject o = v.toObject();
    return {o.value("x").toInt(), o.value("y").toInt(), o.value("width").toInt(), o.value("height").toInt()};
}

void collect(const QJsonObject& node, qint64 pid, const QString& title, std::optional<QRect>& titled,
             std::optional<QRect>& any) {
    if (node.value("pid").toInteger(-1) == pid && node.value("visible").toBool(true)) {
        const QRect outer = rectOf(node.value("rect"));
        const QRect inner = rectOf(node.value("window_rect"));
        const QRect content(outer.topLeft() + inner.topLeft(), inner.size());
        if (!any) any = content;
        if (!titled && node.value("name").toString() == title) titled = content;
    }
    for (const char* children : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(children).toArray()) collect(child.toObject(), pid, title, titled, any);
}

}  // namespace

std::optional<QByteArray> swayRequest(const std::string& socketPath, std::uint32_t type, const QByteArray& payload) {
    sockaddr_un address{};
    if (socketPath.empty() || socketPath.size() >= sizeof(address.sun_path)) return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    // A sway that hangs must not hang Orvane.
    timeval timeout{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::optional<QByteArray> reply;
    char header[kMagicSize + 8];
    std::memcpy(header, kMagic, kMagicSize);
    const auto length = static_cast<std::uint32_t>(payload.size());
    std::memcpy(header + kMagicSize, &length, 4);
    std::memcpy(header + kMagicSize + 4, &type, 4);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        sendAll(fd, header, sizeof header) && sendAll(fd, payload.constData(), payload.size()) &&
        readAll(fd, header, sizeof header) && std::memcmp(header, kMagic, kMagicSize) == 0) {
        std::uint32_t size = 0;
        std::memcpy(&size, header + kMagicSize, 4);
        QByteArray body(static_cast<qsizetype>(size), Qt::Uninitialized);
        if (size < (64u << 20) && readAll(fd, body.data(), size)) reply = body;
    }
    ::close(fd);
    return reply;
}

std::optional<QRect> windowRectInTree(const QByteArray& tree, qint64 pid, const QString& title) {
    const QJsonDocument doc = QJsonDocument::fromJson(tree);
    if (!doc.isObject()) return std::nullopt;
    std::optional<QRect> titled, any;
    collect(doc.object(), pid, title, titled, any);
    return titled ? titled : any;
}

std::optional<QRect> swayWindowRect(qint64 pid, const QString& title) {
    const char* socket = std::getenv("SWAYSOCK");
    if (!socket) return std::nullopt;
    const std::optional<QByteArray> tree = swayRequest(socket, kGetTree, {});
    if (!tree) return std::nullopt;
    return windowRectInTree(*tree, pid, title);
}

}  // namespace orvane::platform::wayland
