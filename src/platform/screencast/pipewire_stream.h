// One screen-cast video stream read from PipeWire on Qt's event loop: only the
// newest picture is kept, held in the compositor's shared memory (read in
// place, no copy) until a newer one arrives; the cursor data that comes with
// the buffers is kept apart, since mutter sends pointer moves as buffers
// without a picture. A still monitor sends nothing and costs nothing.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/monitors.h"

struct pw_buffer;

namespace orvane::platform::screencast {

class PipeWireStream {
public:
    struct Cursor {
        bool visible = false;      // false: on another monitor, hidden, or not moved yet
        QPoint position;           // the pointer's point in the stream's pixels
        QPoint hotspot;            // within image
        QImage image;              // ARGB32 premultiplied; null when none came yet
        std::uint64_t seq = 0;     // counts reports of every stream: larger is newer
        std::uint64_t imageSeq = 0;  // the report that brought the image
    };

    // Connects to PipeWire (through `remoteFd` when given: the portal's
    // remote, taken over) and to the stream `node`. Check ok() after.
    explicit PipeWireStream(std::uint32_t node, int remoteFd = -1);
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream&) = delete;
    PipeWireStream& operator=(const PipeWireStream&) = delete;

    // False when PipeWire could not be reached or the stream not connected;
    // error() says why.
    [[nodiscard]] bool ok() const;
    [[nodiscard]] const std::string& error() const;

    // The newest picture in the stream's pixels (RGB32, crop applied); null
    // before the first.
    [[nodiscard]] const QImage& frame() const;
    // What changed in frame() since the previous call.
    [[nodiscard]] MonitorChanges takeChanges();
    [[nodiscard]] const Cursor& cursor() const;
    [[nodiscard]] int framesReceived() const;

    // Reads PipeWire (blocking) until there is a picture, the stream ended or
    // the time is up; true with a picture.
    bool waitForFirstFrame(int timeoutMs);

    struct State;

private:
    std::unique_ptr<State> s_;
};

}  // namespace orvane::platform::screencast
