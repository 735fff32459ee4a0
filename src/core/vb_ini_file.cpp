// The settings file's text forms on top of the platform's profile-file layer.
#include "core/vb_ini_file.h"

#include "core/app_state.h"
#include "platform/profile_file.h"

namespace orvane {

namespace {
constexpr std::size_t kTextBuffer = 1024;
}

std::string vbIniFile::GetText(const std::string& Section, const std::string& Key,
                               const std::string& Default) const {
    // A NUL inside a value ends it, as it would a C string; blanks it then
    // ends with are dropped as blanks around any value are, so that the value
    // is one the file can hold and reads back the same once written.
    std::string text = TrimNull(platform::readProfileString(TrimNull(Section), TrimNull(Key), TrimNull(Default),
                                                            kTextBuffer, fileName_));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text;
}

std::int32_t vbIniFile::GetNumber(const std::string& Section, const std::string& Key,
                                  std::int32_t Default) const {
    return platform::readProfileInt(TrimNull(Section), TrimNull(Key), Default, fileName_);
}

bool vbIniFile::GetBool(const std::string& Section, const std::string& Key, bool Default) const {
    return platform::readProfileInt(TrimNull(Section), TrimNull(Key), Default ? 1 : 0, fileName_) != 0;
}

void vbIniFile::SetText(const std::string& Section, const std::string& Key, const std::string& Value) const {
    if (batch_) {
        batch_->push_back({TrimNull(Section), TrimNull(Key), TrimNull(Value)});
        return;
    }
    platform::writeProfileString(TrimNull(Section), TrimNull(Key), TrimNull(Value), fileName_);
}

void vbIniFile::CommitBatch() {
    if (!batch_) return;
    std::vector<platform::ProfileEntry> entries = std::move(*batch_);
    batch_.reset();
    if (!entries.empty()) platform::writeProfileStrings(entries, fileName_);
}

void vbIniFile::SetNumber(const std::string& Section, const std::string& Key, std::int32_t Value) const {
    SetText(Section, Key, NumberText(Value));
}

void vbIniFile::SetBool(const std::string& Section, const std::string& Key, bool Value) const {
    SetNumber(Section, Key, Value ? 1 : 0);
}

std::string vbIniFile::NumberText(std::int32_t Value) {
    std::string text = std::to_string(Value);
    if (Value >= 0) text.insert(text.begin(), ' ');
    return text;
}

}  // namespace orvane
