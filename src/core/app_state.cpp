// The shared state's single instance and the small text helpers around it.
#include "core/app_state.h"

namespace orvane {

AppStateData AppState;

std::string TrimNull(const std::string& text) {
    const auto nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

std::string DeviceField(const std::string& name) {
    std::string field = TrimNull(name);
    if (field.size() < DeviceNameWidth) field.resize(DeviceNameWidth, '\0');
    return field;
}

}  // namespace orvane
