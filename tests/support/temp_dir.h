// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>

namespace orvane::test {

class TempDir {
public:
    [[nodiscard]] std::string path() const { return dir_.path().toStdString() + "/"; }
    [[nodiscard]] std::string file(const std::string& name) const { return path() + name; }

private:
    QTemporaryDir dir_;
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeAll(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

}  // namespace orvane::test
