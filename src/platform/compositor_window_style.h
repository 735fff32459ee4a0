// The main window's frame where the compositor decides it all (Wayland): it
// places and decorates every window, and full screen must be its own, since a
// tiling compositor ignores "maximised".
#pragma once

#include "platform/platform.h"

namespace orvane::platform {

class CompositorWindowStyle : public WindowStyle {
public:
    bool hasWindowManager() override { return true; }
    // A client can ask for server-side decoration or none, which Qt does when the caption goes.
    bool setCaption(QWidget&, bool) override { return false; }
    bool fullScreenIsTheSystems() override { return true; }
};

}  // namespace orvane::platform
