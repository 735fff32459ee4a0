// A screen cast of GNOME's monitors tied to a remote-desktop session, straight
// through mutter's D-Bus services (no dialog): one PipeWire stream per monitor
// with the pointer as cursor data, and the session through which the pointer
// is moved and buttons are pressed as a user's mouse would.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane::platform::gnome {

class MutterSession : public QObject {
    Q_OBJECT
public:
    struct Stream {
        std::string connector;  // "DP-1", "Meta-0"
        QString path;           // the stream's object path
        std::uint32_t node = 0;  // its PipeWire node
    };

    // Whether the session bus offers mutter's screen cast and remote desktop.
    static bool available(const QDBusConnection& bus);

    // Opens the sessions and records each monitor named (by connector);
    // nullptr and `why` when mutter refuses (remote access inhibited, the
    // lock screen) or does not answer within timeoutMs.
    static std::unique_ptr<MutterSession> start(const std::vector<std::string>& connectors, std::string& why,
                                                int timeoutMs = 5000);
    ~MutterSession() override;

    [[nodiscard]] const std::vector<Stream>& streams() const { return streams_; }
    // Mutter closed the sessions (remote access inhibited, mutter restarting).
    [[nodiscard]] bool closed() const { return closed_; }

    // Moves the pointer to (x, y) in the pixels of the connector's stream.
    bool movePointer(const std::string& connector, double x, double y);
    // An evdev button code (BTN_LEFT 0x110 …) pressed or released.
    bool button(int evdevCode, bool pressed);

signals:
    void sessionClosed();

private slots:
    void onStreamAdded(uint node, const QDBusMessage& message);
    void onClosed();

private:
    MutterSession() = default;
    bool callRemote(const QString& method, const QVariantList& arguments);

    QString remotePath_;
    QString castPath_;
    std::vector<Stream> streams_;
    bool closed_ = false;
};

}  // namespace orvane::platform::gnome
