// The portal backend's pure rules: which of the portal's streams shows which
// of the desktop's monitors, and the restore token as kept in its file.
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::platform::portal {

// A stream as the portal's Start answer describes it: its place and size in
// the compositor's layout (a portal may leave the place out).
struct StreamPlace {
    std::uint32_t node = 0;
    std::optional<QPoint> position;
    QSize size;
};

// For each screen (its place in the layout, as the toolkit reports it), the
// index of the stream that shows it, or -1. The same place and size first;
// then the same place (a fractional scale rounds sizes differently); then,
// for a stream without a place, the one screen left of its size. A stream
// serves one screen at most; streams that match none are left out.
std::vector<int> MatchStreamsToScreens(const std::vector<QRect>& screens, const std::vector<StreamPlace>& streams);

// What the restore token file holds: the kind of session the token restores
// ("screencast" or "remote-desktop") and the token.
struct RestoreToken {
    std::string kind;
    std::string token;
    friend bool operator==(const RestoreToken&, const RestoreToken&) = default;
};
// None when the text is not one such line (a damaged file means asking again).
std::optional<RestoreToken> ParseRestoreToken(const QByteArray& text);
QByteArray RestoreTokenText(const RestoreToken& token);

}  // namespace orvane::platform::portal
