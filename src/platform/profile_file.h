// Profile files ("INI" files): one value per call, found by section and key
// without regard to letter case, every call going to the file itself. Writes
// replace the whole file atomically (temporary file + rename) and leave every
// line they do not touch byte for byte as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::platform {

// The value of Section/Key with blanks around it removed and, when it stands
// in matching quotes ("..." or '...'), without them, cut to bufferSize - 1
// bytes; defaultText (cut the same way) when the file, the section or the key
// is missing, the key has no "=" on its line, or the file cannot be read.
std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultText, std::size_t bufferSize,
                              const std::string& path);

// The value read as a decimal integer: blanks, optional sign, digits,
// anything after them ignored, limited to the 32-bit range; 0 when it holds
// no number at all. defaultValue when readProfileString would give the default.
std::int32_t readProfileInt(const std::string& section, const std::string& key, std::int32_t defaultValue,
                            const std::string& path);

// Sets Section/Key to value: replaces the first such key in place, adds it at
// the end of its section, or adds the section at the end of the file; creates
// the file when it does not exist. Writes nothing and returns false when the
// file or its folder cannot be written, or the existing file cannot be read
// (rewriting it would lose what it holds).
bool writeProfileString(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& path);

// Sets several values, in order, as writeProfileString would one by one, but
// replaces the file once: a reader, or a crash, finds the file as it was
// before all of them or after all of them. Entries without a section or key
// are skipped (and the result is false).
struct ProfileEntry {
    std::string section, key, value;
};
bool writeProfileStrings(const std::vector<ProfileEntry>& entries, const std::string& path);

}  // namespace orvane::platform
