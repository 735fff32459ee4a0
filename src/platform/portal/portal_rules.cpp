// The portal backend's pure rules.
#include "platform/portal/portal_rules.h"

#include <algorithm>

namespace orvane::platform::portal {

std::vector<int> MatchStreamsToScreens(const std::vector<QRect>& screens, const std::vector<StreamPlace>& streams) {
    std::vector<int> match(screens.size(), -1);
    std::vector<bool> used(streams.size(), false);
    const auto pass = [&](auto fits) {
        for (std::size_t s = 0; s < screens.size(); ++s)
            for (std::size_t i = 0; i < streams.size() && match[s] < 0; ++i)
                if (!used[i] && fits(screens[s], streams[i])) {
                    match[s] = static_cast<int>(i);
                    used[i] = true;
                }
    };
    pass([](const QRect& r, const StreamPlace& p) { return p.position == r.topLeft() && p.size == r.size(); });
    pass([](const QRect& r, const StreamPlace& p) { return p.position == r.topLeft(); });
    // Without a place, the size alone decides only where it names one screen.
    for (std::size_t i = 0; i < streams.size(); ++i) {
        if (used[i] || streams[i].position) continue;
        int only = -1, count = 0;
        for (std::size_t s = 0; s < screens.size(); ++s)
            if (match[s] < 0 && screens[s].size() == streams[i].size) {
                only = static_cast<int>(s);
                ++count;
            }
        if (count == 1) {
            match[static_cast<std::size_t>(only)] = static_cast<int>(i);
            used[i] = true;
        }
    }
    return match;
}

std::optional<RestoreToken> ParseRestoreToken(const QByteArray& text) {
    const QByteArray line = text.trimmed();
    const qsizetype space = line.indexOf(' ');
    if (space < 0 || line.size() > 512) return std::nullopt;
    const QByteArray kind = line.left(space), token = line.mid(space + 1);
    if (kind != "screencast" && kind != "remote-desktop") return std::nullopt;
    const bool plain = !token.isEmpty() && std::all_of(token.begin(), token.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c == '.';
    });
    if (!plain) return std::nullopt;
    return RestoreToken{kind.toStdString(), token.toStdString()};
}

QByteArray RestoreTokenText(const RestoreToken& token) {
    return QByteArray::fromStdString(token.kind + " " + token.token + "\n");
}

}  // namespace orvane::platform::portal
