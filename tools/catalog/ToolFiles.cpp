#include "ToolFiles.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::vector<std::string> ToolArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    return std::ferror(file.get()) == 0;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (written && closed) return true;
    std::remove(path.c_str());
    return false;
}
