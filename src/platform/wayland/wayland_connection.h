// The Wayland backend's own connection to the compositor (beside Qt's): the
// globals it offers, its outputs with their names and logical rectangles
// (wl_output with zxdg_output_manager_v1), kept current as outputs come and
// go, and the dispatching of its events from Qt's event loop.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/monitors.h"

struct wl_display;
struct wl_output;
struct zxdg_output_v1;
struct wl_seat;
struct wl_shm;
struct zwlr_screencopy_manager_v1;
struct ext_output_image_capture_source_manager_v1;
struct ext_image_copy_capture_manager_v1;
struct zwlr_virtual_pointer_manager_v1;
class QSocketNotifier;

namespace orvane::platform::wayland {

class OutputHeads;

// One output as the compositor describes it.
struct Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdg = nullptr;
    std::uint32_t globalName = 0;  // the registry's name: stable while the output exists
    std::string name;              // "HEADLESS-2", "DP-1"
    Rect logical;                  // position and size in the layout
    std::int32_t modeWidth = 0, modeHeight = 0;
    std::int32_t refreshMilliHz = 0;  // of the current mode; 0 when unknown
    bool described = false;           // xdg-output has told name and place
    std::function<void()> changed;    // once a description is complete
};

class Connection {
public:
    // nullptr with a reason when no compositor answers at `display` ($WAYLAND_DISPLAY when empty).
    static std::unique_ptr<Connection> connect(const std::string& display, std::string& error);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Interface names of the globals the compositor offers.
    [[nodiscard]] const std::set<std::string>& globals() const { return globals_; }
    [[nodiscard]] bool offers(const std::string& interface) const { return globals_.count(interface) > 0; }
    // Whether it offers all Orvane needs: outputs, capture, a virtual pointer.
    [[nodiscard]] bool usableForOrvane() const;

    // The described outputs in the compositor's order; the first is the
    // primary (Wayland names none). Positions and sizes are logical pixels.
    [[nodiscard]] std::vector<MonitorInfo> monitors() const;
    [[nodiscard]] const Output* output(const std::string& name) const;
    // The rectangle around every output: what absolute pointer motion spans.
    [[nodiscard]] Rect layoutBounds() const;

    [[nodiscard]] wl_display* display() const { return display_; }
    [[nodiscard]] wl_shm* shm() const;
    [[nodiscard]] wl_seat* seat() const;
    [[nodiscard]] zwlr_screencopy_manager_v1* screencopy() const;
    [[nodiscard]] std::uint32_t screencopyVersion() const;
    [[nodiscard]] zwlr_virtual_pointer_manager_v1* virtualPointers() const;
    // Image copy capture, the successor of the screencopy: both managers, or
    // nullptr where the compositor lacks either.
    [[nodiscard]] ext_output_image_capture_source_manager_v1* captureSources() const;
    [[nodiscard]] ext_image_copy_capture_manager_v1* imageCopyCapture() const;
    // The compositor's output configuration; nullptr where it offers none.
    [[nodiscard]] OutputHeads* heads() const;

    // False once the compositor has gone or closed the connection.
    [[nodiscard]] bool alive() const;
    // Sends the queued requests.
    void flush();
    // Waits for every answer to what was sent so far. False when the connection broke.
    bool roundTrip();
    // Reads and handles events until done() or the timeout (milliseconds).
    // False when the time ran out or the connection broke.
    bool dispatchUntil(const std::function<bool()>& done, int timeoutMs);
    // From now on events are read as they arrive, from Qt's event loop.
    void dispatchFromEventLoop();
    // Called from the event loop whenever outputs came, went or moved.
    void watchOutputs(std::function<void()> changed);

    struct Registry;

private:
    Connection() = default;
    // Handles the events that have arrived, waiting up to timeoutMs when none
    // have. False when the connection broke.
    bool readOnce(int timeoutMs);
    void readAvailable();
    [[nodiscard]] bool shows(const Output& o) const;
    wl_display* display_ = nullptr;
    std::unique_ptr<Registry> registry_;
    std::set<std::string> globals_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Orvane's needs, by interface name: capture (image copy capture, or the
// wlroots screencopy), the wlroots virtual pointer, shared memory, and
// xdg-output for names and the logical layout.
bool offersWhatOrvaneNeeds(const std::set<std::string>& globals);

}  // namespace orvane::platform::wayland
