// The pointer's current image through XFixes, kept until its serial changes.
#pragma once

#include <memory>
#include <optional>

#include "platform/pointer.h"
#include "platform/x11/x11_connection.h"

namespace orvane::platform::x11 {

class CursorReader {
public:
    explicit CursorReader(Connection& c) : c_(c) {}
    // nullopt without XFixes or when the server does not answer.
    std::optional<CursorInfo> read();

private:
    Connection& c_;
    std::shared_ptr<const CursorImage> cached_;
};

}  // namespace orvane::platform::x11
