// The settings file's reader and writer over any file content: no crash, a
// value written reads back as written, and a write leaves every other value
// as it was.
#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>

#include <fstream>

#include "core/vb_ini_file.h"
#include "scratch.h"

using orvane::vbIniFile;

namespace {

const char* const kSections[] = {"Main", "View", "main", "VIEW", "Other"};
const char* const kKeys[] = {"Zoom", "zoom", "Display", "WindowPos_Left", "X"};

// What reading gives back for a written text: cut at a line break or NUL,
// blanks around it removed, matching quotes around it too, at most 1023 bytes.
std::string expectedRead(std::string v) {
    v = v.substr(0, v.find_first_of(std::string("\r\n\0", 3)));
    const auto trimEnd = [](std::string& t) { t.erase(t.find_last_not_of(" \t") + 1); };
    v.erase(0, v.find_first_not_of(" \t"));
    trimEnd(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);  // blanks inside the quotes stay at the front
    if (v.size() > 1023) v.resize(1023);
    trimEnd(v);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.PickValueInArray(kSections), key = in.PickValueInArray(kKeys);
    const std::string otherSection = in.PickValueInArray(kSections), otherKey = in.PickValueInArray(kKeys);
    const bool asNumber = in.ConsumeBool();
    const std::int32_t number = in.ConsumeIntegral<std::int32_t>();
    const std::string value = in.ConsumeRandomLengthString(80);
    std::ofstream(scratchPath("profile"), std::ios::binary | std::ios::trunc) << in.ConsumeRemainingBytesAsString();
    vbIniFile ini;
    ini.FileName(scratchPath("profile"));

    const std::string otherBefore = ini.GetText(otherSection, otherKey, "\x01none");
    (void)ini.GetNumber(section, key, 7);
    (void)ini.GetBool(section, key, true);
    if (asNumber) {
        ini.SetNumber(section, key, number);
        if (ini.GetNumber(section, key, number == 0 ? 1 : 0) != number) std::abort();
        if (ini.GetText(section, key) != expectedRead(vbIniFile::NumberText(number))) std::abort();
    } else {
        ini.SetText(section, key, value);
        if (ini.GetText(section, key, "\x01none") != expectedRead(value)) std::abort();
    }
    const bool same = ::strcasecmp(section.c_str(), otherSection.c_str()) == 0 &&
                      ::strcasecmp(key.c_str(), otherKey.c_str()) == 0;
    if (!same && ini.GetText(otherSection, otherKey, "\x01none") != otherBefore) std::abort();
    return 0;
}
