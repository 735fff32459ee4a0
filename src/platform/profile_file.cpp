// Profile-file reading and atomic rewriting on POSIX.
#include "platform/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace orvane::platform {
namespace {

constexpr std::string_view kNewLine = "\r\n";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// One line of the file: its text and the ending it had ("\r\n", "\n", "\r" or
// "" for a last line without one).
struct Line {
    std::string_view text;
    std::string_view ending;
};

std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        const std::size_t end = content.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back({content.substr(pos), {}});
            break;
        }
        const std::size_t endingSize =
            (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n') ? 2 : 1;
        lines.push_back({content.substr(pos, end - pos), content.substr(end, endingSize)});
        pos = end + endingSize;
    }
    return lines;
}

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The section name of a header line ("[Main]"), or nullopt. A header
// without its "]" is no header, as for the Win32 profile functions: the keys
// after it stay in the section before.
std::optional<std::string_view> sectionName(std::string_view text) {
    text = trim(text);
    if (text.empty() || text.front() != '[') return std::nullopt;
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(text.substr(1, close - 1));
}

// A value in matching quotes ("..." or '...') stands for what is inside them.
std::string_view unquoted(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool isComment(std::string_view text) {
    text = trim(text);
    return !text.empty() && (text.front() == ';' || text.front() == '#');
}

// Where a key stands in the file: the indexes the reader and writer need.
struct Location {
    std::optional<std::size_t> sectionLine;  // header of the first matching section
    std::optional<std::size_t> keyLine;      // first matching key in that section
    std::size_t lastEntryLine = 0;           // last non-blank line of that section
    std::optional<std::string_view> value;   // none for a key line without "="
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location where;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view text = lines[i].text;
        if (i == 0 && text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
        if (const auto name = sectionName(text)) {
            if (inSection) break;  // the first section of that name is the one
            if (equalNoCase(*name, section)) {
                inSection = true;
                where.sectionLine = i;
                where.lastEntryLine = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (!trim(text).empty()) where.lastEntryLine = i;
        if (where.keyLine || isComment(text)) continue;
        // A line without "=" is a key without a value (it reads as missing,
        // and hides a later line of the same key), as for the Win32 functions.
        const std::size_t eq = text.find('=');
        if (equalNoCase(trim(text.substr(0, eq)), key)) {
            where.keyLine = i;
            if (eq != std::string_view::npos) where.value = trim(text.substr(eq + 1));
        }
    }
    return where;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult readFile(const std::string& path, std::string& content) {
    content.clear();
    if (path.empty()) return ReadResult::Missing;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return ReadResult::Failed;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

std::string_view cutAt(std::string_view s, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    return s.substr(0, std::min(s.size(), bufferSize - 1));
}

// The real file behind a symbolic link, so that a rewrite replaces the file
// and not the link.
std::string resolvedPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string result(real);
    std::free(real);
    return result;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Replaces path by content through a temporary file in the same folder.
bool replaceFile(const std::string& path, const std::string& content, std::optional<mode_t> mode) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    std::string temp = (slash == std::string::npos ? std::string() : folder) + ".Orvane.ini.XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    temp.assign(name.data());
    bool ok = writeAll(fd, content);
    if (!mode) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ok = ok && ::fchmod(fd, *mode) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

std::string valueLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

}  // namespace

namespace {

// The stored value of Section/Key, or none when the file, the section or the
// key is missing, or the key has no value.
std::optional<std::string> storedValue(const std::string& section, const std::string& key,
                                       std::size_t bufferSize, const std::string& path) {
    std::string content;
    if (readFile(path, content) != ReadResult::Ok) return std::nullopt;
    const auto lines = splitLines(content);
    const Location where = locate(lines, section, key);
    if (!where.value) return std::nullopt;
    return std::string(cutAt(unquoted(*where.value), bufferSize));
}

}  // namespace

std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultText, std::size_t bufferSize,
                              const std::string& path) {
    if (auto value = storedValue(section, key, bufferSize, path)) return std::move(*value);
    return std::string(cutAt(defaultText, bufferSize));
}

std::int32_t readProfileInt(const std::string& section, const std::string& key, std::int32_t defaultValue,
                            const std::string& path) {
    const std::optional<std::string> stored = storedValue(section, key, 1024, path);
    if (!stored) return defaultValue;
    const std::string& text = *stored;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;  // a quoted value may start blank
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return 0;  // present, but no number
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT32_MAX) + 1) value = static_cast<long long>(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

namespace {

// content with Section/Key set to value, every other line as it was.
std::string withValue(const std::string& content, const std::string& section, const std::string& key,
                      const std::string& value) {
    // A line break inside the value would split it into lines of its own.
    const std::string_view safeValue = std::string_view(value).substr(0, value.find_first_of("\r\n"));

    const auto lines = splitLines(content);
    const Location where = locate(lines, section, key);
    std::string out;
    out.reserve(content.size() + key.size() + safeValue.size() + section.size() + 8);
    auto appendLine = [&out](std::string_view text, std::string_view ending) {
        out += text;
        out += ending;
    };
    if (where.keyLine) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i == *where.keyLine) {
                // A byte-order mark on the first line stays in front of it.
                const bool bom = i == 0 && lines[0].text.substr(0, kBom.size()) == kBom;
                appendLine((bom ? std::string(kBom) : std::string()) + valueLine(key, safeValue),
                           lines[i].ending.empty() ? std::string_view() : lines[i].ending);
            } else {
                appendLine(lines[i].text, lines[i].ending);
            }
        }
    } else if (where.sectionLine) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            appendLine(lines[i].text,
                       (i == where.lastEntryLine && lines[i].ending.empty()) ? kNewLine : lines[i].ending);
            if (i == where.lastEntryLine) appendLine(valueLine(key, safeValue), kNewLine);
        }
    } else {
        out = content;
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += kNewLine;
        appendLine("[" + section + "]", kNewLine);
        appendLine(valueLine(key, safeValue), kNewLine);
    }
    return out;
}

}  // namespace

bool writeProfileString(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& path) {
    return writeProfileStrings({{section, key, value}}, path);
}

bool writeProfileStrings(const std::vector<ProfileEntry>& entries, const std::string& path) {
    if (path.empty()) return false;
    const std::string target = resolvedPath(path);

    std::string content;
    const ReadResult read = readFile(target, content);
    if (read == ReadResult::Failed) return false;
    std::optional<mode_t> mode;
    if (read == ReadResult::Ok) {
        // A file the user made read-only stays as it is.
        if (::access(target.c_str(), W_OK) != 0) return false;
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    }
    bool all = true;
    for (const ProfileEntry& e : entries) {
        if (e.section.empty() || e.key.empty()) {
            all = false;
            continue;
        }
        content = withValue(content, e.section, e.key, e.value);
    }
    return replaceFile(target, content, mode) && all;
}

}  // namespace orvane::platform
