// RandR queries shared by the monitor list and the display modes: the
// RandR 1.5 monitors, the screen's outputs, CRTCs and mode timings.
#pragma once

#include <xcb/randr.h>

#include <QRect>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace orvane::platform::x11 {

struct RandrMonitor {
    std::string name;
    xcb_atom_t atom = 0;
    QRect rect;
    bool primary = false;
    std::vector<xcb_randr_output_t> outputs;
};
// The active RandR 1.5 monitors in the server's order; empty without RandR 1.5.
std::vector<RandrMonitor> queryMonitors(Connection& c);

// A snapshot of the screen's outputs, CRTCs and modes.
class ScreenResources {
public:
    static std::optional<ScreenResources> query(Connection& c);
    [[nodiscard]] const xcb_randr_mode_info_t* mode(xcb_randr_mode_t id) const;
    [[nodiscard]] std::vector<xcb_randr_output_t> outputs() const;
    [[nodiscard]] std::vector<xcb_randr_crtc_t> crtcs() const;
    [[nodiscard]] xcb_timestamp_t configTimestamp() const { return reply_->config_timestamp; }

private:
    Reply<xcb_randr_get_screen_resources_current_reply_t> reply_;
};

std::uint32_t modeRefresh(const xcb_randr_mode_info_t& mode);
double modeRefreshExact(const xcb_randr_mode_info_t& mode);

struct CrtcState {
    xcb_randr_crtc_t crtc = 0;
    xcb_timestamp_t timestamp = 0;
    QRect rect;  // empty when the CRTC is off
    xcb_randr_mode_t mode = 0;
    std::uint16_t rotation = XCB_RANDR_ROTATION_ROTATE_0;
    std::vector<xcb_randr_output_t> outputs;
};
std::optional<CrtcState> queryCrtc(Connection& c, const ScreenResources& res, xcb_randr_crtc_t crtc);

struct OutputState {
    xcb_randr_output_t output = 0;
    std::string name;
    bool connected = false;
    xcb_randr_crtc_t crtc = 0;            // 0 when the output is off
    std::vector<xcb_randr_mode_t> modes;  // in the server's order
};
std::optional<OutputState> queryOutput(Connection& c, const ScreenResources& res, xcb_randr_output_t output);
// The output of this name, if the screen has one.
std::optional<OutputState> findOutput(Connection& c, const ScreenResources& res, const std::string& name);

}  // namespace orvane::platform::x11
