// Reads and writes single values of one INI file by section and key, as text,
// as a 32-bit number (written with a leading blank when not negative) or as a
// flag (written as the number 1 or 0). Every call goes to the file; nothing is cached.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile_file.h"

namespace orvane {

class vbIniFile {
public:
    [[nodiscard]] const std::string& FileName() const { return fileName_; }
    void FileName(const std::string& IniFileName) { fileName_ = IniFileName; }

    [[nodiscard]] std::string GetText(const std::string& Section, const std::string& Key,
                                      const std::string& Default = "") const;
    [[nodiscard]] std::int32_t GetNumber(const std::string& Section, const std::string& Key,
                                         std::int32_t Default = 0) const;
    [[nodiscard]] bool GetBool(const std::string& Section, const std::string& Key,
                               bool Default = false) const;

    // Write failures are not reported: the value is simply not stored.
    void SetText(const std::string& Section, const std::string& Key, const std::string& Value) const;
    void SetNumber(const std::string& Section, const std::string& Key, std::int32_t Value) const;
    void SetBool(const std::string& Section, const std::string& Key, bool Value) const;

    // The text form of a number in the file: " 100", " 0", "-900".
    static std::string NumberText(std::int32_t Value);

    // Writes between these two reach the file together, in one replacement
    // at CommitBatch: killed halfway, the program leaves the file as it was.
    void BeginBatch() { batch_.emplace(); }
    void CommitBatch();

private:
    std::string fileName_;
    mutable std::optional<std::vector<platform::ProfileEntry>> batch_;
};

}  // namespace orvane
