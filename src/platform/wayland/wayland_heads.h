// The compositor's output configuration (wlroots output management): every
// output ("head") with its modes, whether it is on, and test or apply of a
// new configuration in which one head shows another mode.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct zwlr_output_manager_v1;
struct zwlr_output_head_v1;
struct zwlr_output_mode_v1;

namespace orvane::platform::wayland {

class Connection;
class OutputHeads;

struct HeadMode {
    zwlr_output_mode_v1* mode = nullptr;
    int width = 0, height = 0;
    int refreshMilliHz = 0;  // 0 when the compositor does not say
    bool preferred = false;
};

struct Head {
    zwlr_output_head_v1* head = nullptr;
    std::string name;
    bool enabled = false;
    int x = 0, y = 0;
    int transform = 0;
    int scale = 256;  // wl_fixed_t
    std::vector<std::unique_ptr<HeadMode>> modes;
    HeadMode* current = nullptr;
    OutputHeads* owner = nullptr;
};

// Whether the head lists real modes. sway 1.7 reports its virtual outputs
// with one 0 x 0 mode and "off" while it lays them out and shows them: such
// a report is not believed.
bool listsRealModes(const Head& h);

class OutputHeads {
public:
    // Takes the bound manager; `changed` is called after each complete update.
    OutputHeads(zwlr_output_manager_v1* manager, std::function<void()> changed);
    ~OutputHeads();
    OutputHeads(const OutputHeads&) = delete;
    OutputHeads& operator=(const OutputHeads&) = delete;

    // The heads as of the compositor's last complete update.
    [[nodiscard]] const Head* head(const std::string& name) const;
    // False once the compositor has described its heads at least once.
    [[nodiscard]] bool described() const { return serial_ != 0; }

    enum class Outcome { Succeeded, Failed, Cancelled, NoAnswer };
    // Tests (or applies) the configuration in which head `name` shows `mode`
    // and every other head stays as it is.
    Outcome configure(Connection& c, const std::string& name, const HeadMode& mode, bool apply);

    struct Events;

private:
    zwlr_output_manager_v1* manager_;
    std::function<void()> changed_;
    std::vector<std::unique_ptr<Head>> heads_;
    std::uint32_t serial_ = 0;
};

}  // namespace orvane::platform::wayland
