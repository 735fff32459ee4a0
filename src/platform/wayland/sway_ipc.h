// What sway's IPC tells that Wayland itself does not: where a client's own
// windows are in the output layout.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <optional>
#include <string>

namespace orvane::platform::wayland {

// The reply to one request on the IPC socket at `socketPath`; nullopt when
// sway does not answer.
std::optional<QByteArray> swayRequest(const std::string& socketPath, std::uint32_t type, const QByteArray& payload);

// The content rectangle, in layout coordinates, of the visible window of
// process `pid` titled `title` (any of its windows when none has the title),
// found in a GET_TREE reply.
std::optional<QRect> windowRectInTree(const QByteArray& tree, qint64 pid, const QString& title);

// Asks the sway of $SWAYSOCK; nullopt without sway or without the window.
std::optional<QRect> swayWindowRect(qint64 pid, const QString& title);

}  // namespace orvane::platform::wayland
