// One session of xdg-desktop-portal's screen cast, or of its remote desktop
// with a screen cast tied to it: every monitor, the pointer as cursor data,
// and for a remote desktop the pointer moved and clicked as a user's mouse
// would. The portal may show its dialog at the start; a restore token given
// lets it start without one.
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/portal/portal_rules.h"

namespace orvane::platform::portal {

// What this session's portal offers.
struct PortalOffer {
    bool screenCast = false;     // monitors can be cast
    bool cursorMetadata = false; // the pointer can come as cursor data
    bool pointer = false;        // the remote desktop can drive a pointer
    bool restorableInput = false;  // remote desktop sessions can be restored (its version 2)
};

class PortalSession : public QObject {
    Q_OBJECT
public:
    // Null, and why, when the session bus has no portal that casts monitors.
    static std::optional<PortalOffer> offer(std::string& why);

    struct Options {
        bool remoteDesktop = false;  // a remote desktop session, not a screen cast alone
        bool cursorMetadata = true;
        bool persist = false;        // ask for a token that restores it after a restart
        std::string restoreToken;    // empty: none
        int timeoutMs = 120000;      // the user may have to answer a dialog
    };
    // Null and `why` when the portal refuses or the user declines;
    // `declined` tells the latter.
    static std::unique_ptr<PortalSession> start(const Options& options, std::string& why, bool* declined = nullptr);
    ~PortalSession() override;

    [[nodiscard]] const std::vector<StreamPlace>& streams() const { return streams_; }
    // The token that restores this session next time; empty when none came.
    [[nodiscard]] const std::string& restoreToken() const { return restoreToken_; }
    // Whether the pointer may be driven through this session.
    [[nodiscard]] bool hasPointer() const { return pointer_; }
    [[nodiscard]] bool closed() const { return closed_; }

    // A new PipeWire connection to the session's streams, owned by the
    // caller; -1 when refused.
    int openPipeWireRemote();
    // Moves the pointer to (x, y) of a stream, in the stream's layout size.
    bool movePointer(std::uint32_t node, double x, double y);
    // An evdev button code pressed or released.
    bool button(int evdevCode, bool pressed);

signals:
    void sessionClosed();

private slots:
    void onResponse(const QDBusMessage& message);
    void onClosed();

private:
    PortalSession() = default;
    // Calls a portal method that answers through a request object; false and
    // `why` when it fails, is declined or not answered within timeoutMs.
    bool request(const QString& interface, const QString& method, QVariantList arguments, QVariantMap options,
                 int timeoutMs, QVariantMap& results, std::string& why, bool* declined);
    bool call(const QString& method, const QVariantList& arguments);

    QString session_;
    std::vector<StreamPlace> streams_;
    std::string restoreToken_;
    bool pointer_ = false;
    bool closed_ = false;
    // The answer to the request in progress.
    std::optional<std::pair<uint, QVariantMap>> response_;
};

}  // namespace orvane::platform::portal
