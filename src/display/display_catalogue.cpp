// Grouping of a Display object's modes by size.
#include "display/display_catalogue.h"

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

}  // namespace orvane
