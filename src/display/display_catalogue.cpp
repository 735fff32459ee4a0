// Grouping of a Display object's modes by size.
#include "display/display_catalogue.h"

#include <algorithm>

#include "display/display.h"

namespace orvane {

std::vector<SizeInfo> BuildDisplaySettingInfo(Display* d) {
    std::vector<SizeInfo> info;
    const std::int16_t count = d ? d->GetDisplayModeNumber() : 0;
    for (std::int16_t i = 0; i < count; ++i) {
        const std::int32_t w = d->GetWidth(i);
        const std::int32_t h = d->GetHeight(i);
        const SubInfoEntry entry{d->GetBit(i), d->GetFreq(i), i};
        bool found = false;
        for (SizeInfo& size : info) {
            if (size.Width == w && size.Height == h) {
                size.SubInfo.push_back(entry);
                size.LastSub = static_cast<std::int32_t>(size.SubInfo.size()) - 1;
                found = true;
            }
        }
        if (!found) info.push_back(SizeInfo{w, h, 0, {entry}});
    }
    if (info.empty()) info.push_back(SizeInfo{0, 0, 0, {SubInfoEntry{}}});
    return info;
}

std::string PlaceholderText(const std::string& value, int placeholders) {
    const auto n = static_cast<std::size_t>(std::max(0, placeholders));
    return value.size() >= n ? value : std::string(n - value.size(), ' ') + value;
}

std::string SizeItemText(std::int32_t width, std::int32_t height) {
    return PlaceholderText(std::to_string(width), 4) + " x " + PlaceholderText(std::to_string(height), 4);
}

std::string DepthFrequencyItemText(std::int32_t bits, std::int32_t frequency) {
    return PlaceholderText(std::to_string(bits), 2) + "bit /" +
           PlaceholderText(std::to_string(frequency), 2) + "hz";
}

std::string CurrentModeText(std::int32_t width, std::int32_t height, std::int32_t bits,
                            std::int32_t frequency) {
    return "現在の設定:" + ModeText(width, height, bits, frequency);
}

std::string ModeText(std::int32_t width, std::int32_t height, std::int32_t bits, std::int32_t frequency) {
    return std::to_string(width) + "x" + std::to_string(height) + " / " + std::to_string(bits) + "bit / " +
           std::to_string(frequency) + "hz";
}

}  // namespace orvane
