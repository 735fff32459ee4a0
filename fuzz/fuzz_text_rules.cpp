// The text rules over any input: the leading number of a text, the interval
// typed as seconds and shown again, the "@" placeholder layout of the mode lists.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <string>

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

    (void)LeadingNumber(text);
    (void)R(LeadingNumber(text));
    // Typed intervals always land in the allowed range, and an interval
    // shown as seconds reads back as itself.
    const std::int32_t typed = TypedIntervalMs(text);
    if (typed < kMinIntervalMs || typed > kMaxIntervalMs) std::abort();
    if (IntervalMs(SecondsText(typed)) != typed) std::abort();
    (void)IntervalMs(text);
    // A number as the settings file writes it reads back as itself.
    if (LeadingNumber(vbIniFile::NumberText(n)) != static_cast<double>(n)) std::abort();
    // Placeholders: at least as wide as asked, the value whole at the end.
    const std::string shown = PlaceholderText(text, places);
    if (shown.size() < text.size() || shown.size() < static_cast<std::size_t>(places)) std::abort();
    if (shown.compare(shown.size() - text.size(), text.size(), text) != 0) std::abort();
    (void)SizeItemText(n, n / 3);
    (void)DepthFrequencyItemText(n, n);
    (void)CurrentModeText(n, n, n, n);
    return 0;
}
