// The text rules over any input: the leading number of a text, the interval
// typed as seconds and shown again, the "@" placeholder layout of the mode lists.
#include <fuzzer/FuzzedDataProvider.h>

#include "core/rounding.h"
#include "core/vb_ini_file.h"
#include "display/display_catalogue.h"
#include "view/interval.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::int32_t n = in.ConsumeIntegral<std::int32_t>();
    const int places = in.ConsumeIntegralInRange(0, 12);
    const std::string text = in.ConsumeRemainingBytesAsString();
    (void)R(LeadingNumber(text));
    (void)IntervalMs(text);
    // Typed intervals always land in the allowed range, and an interval shown as seconds reads back as itself.
    const std::int32_t typed = TypedIntervalMs(text);
    if (typed < kMinIntervalMs || typed > kMaxIntervalMs || IntervalMs(SecondsText(typed)) != typed) std::abort();
    // A number as the settings file writes it reads back as itself.
    if (LeadingNumber(vbIniFile::NumberText(n)) != static_cast<double>(n)) std::abort();
    // Placeholders: at least as wide as asked, the value whole at the end.
    const std::string shown = PlaceholderText(text, places);
    if (shown.size() < std::max(text.size(), static_cast<std::size_t>(places)) || !shown.ends_with(text)) std::abort();
    (void)SizeItemText(n, n / 3);
    (void)DepthFrequencyItemText(n, n);
    (void)CurrentModeText(n, n, n, n);
    return 0;
}
