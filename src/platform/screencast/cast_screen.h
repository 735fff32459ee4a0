// A desktop seen through screen-cast streams, one per monitor, with a remote
// desktop session that moves and clicks the pointer: what the monitors, the
// pointer and the drawing of the GNOME and the portal backends share. Each
// backend says where its monitors are, which stream shows each, and how a
// point is sent.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/monitors.h"
#include "platform/pointer.h"
#include "platform/screencast/pipewire_stream.h"

namespace orvane::platform::screencast {

struct CastMonitor {
    MonitorInfo info;
    std::int32_t refreshHz = 0;
};

class CastScreen {
public:
    virtual ~CastScreen() = default;

    [[nodiscard]] virtual const std::vector<CastMonitor>& monitors() const = 0;
    // The stream showing a monitor: the live one, or while a new session
    // starts the one before it, which keeps its last picture. Null when none.
    [[nodiscard]] virtual PipeWireStream* stream(const std::string& name) = 0;
    // Why there is no live screen cast now; empty while there is one.
    [[nodiscard]] virtual const std::string& trouble() const = 0;
    // Called whenever the monitors may have changed.
    virtual void watchLayout(std::function<void()> changed) = 0;

    // Whether clicks can be sent now (or asked for at the first one).
    [[nodiscard]] virtual bool canSendInput() = 0;
    // Moves the pointer to (x, y) of a monitor, in layout pixels from its corner.
    virtual bool movePointer(const std::string& name, double x, double y) = 0;
    // An evdev button code (BTN_LEFT 0x110 …) pressed or released.
    virtual bool button(int evdevCode, bool pressed) = 0;

    // The pointer's place in the layout from the live streams' cursor
    // reports; none while it is hidden or has not moved since they started.
    [[nodiscard]] std::optional<Point> pointer();
    // The pointer image most recently reported by any stream.
    [[nodiscard]] std::shared_ptr<const CursorImage> cursorImage();
    [[nodiscard]] const CastMonitor* monitor(const std::string& name) const;

protected:
    // The live streams by monitor name (not those kept for their last pictures).
    [[nodiscard]] virtual std::vector<std::pair<std::string, const PipeWireStream*>> liveStreams() const = 0;

private:
    std::shared_ptr<const CursorImage> cursor_;  // its serial is the report that brought it
};

}  // namespace orvane::platform::screencast
