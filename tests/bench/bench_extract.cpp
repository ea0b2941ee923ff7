// ExtractArchive under Wine against the machine's own `unzip -q`, on one archive of 2,000 files and 200 MB
// (half of them text that deflates, half random bytes that zip stores). Prints both times and their ratio.
// The Windows side is bench_extract_win.exe of the win64 build, run through tools/wine-run.sh; it times itself,
// so Wine's start-up is not counted.
//
//   bench_extract [win64 build folder] [repetitions]
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

constexpr int kFiles = 2000;
constexpr std::size_t kFileSize = 100000;  // 2,000 x 100,000 bytes = 200 MB

const std::string kWork = "/tmp/velmora_bench_extract";

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool MakeArchive(const std::string& archive) {
    const std::string tree = kWork + "/tree";
    Run("rm -rf '" + tree + "'");
    std::mt19937 random(42);
    for (int i = 0; i < kFiles; ++i) {
        const std::string dir = tree + "/tool/part" + std::to_string(i / 100);
        if (i % 100 == 0 && !Run("mkdir -p '" + dir + "'")) return false;
        std::string data;
        data.reserve(kFileSize);
        if (i % 2 == 0) {
            while (data.size() < kFileSize) data += "line " + std::to_string(random() % 1000) + " of a tool file\n";
            data.resize(kFileSize);
        } else {
            while (data.size() < kFileSize) data += static_cast<char>(random());
        }
        std::ofstream(dir + "/file" + std::to_string(i) + ".bin", std::ios::binary) << data;
    }
    const bool ok = Run("cd '" + tree + "' && zip -q -r '" + archive + "' tool");
    Run("rm -rf '" + tree + "'");
    return ok;
}

double TimeUnzip(const std::string& archive, int repetitions) {
    const std::string out = kWork + "/unzip_out";
    double best = 0;
    for (int i = 0; i < repetitions; ++i) {
        Run("rm -rf '" + out + "'");
        const auto start = std::chrono::steady_clock::now();
        if (!Run("unzip -q -o '" + archive + "' -d '" + out + "'")) return -1;
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (i == 0 || ms < best) best = ms;
    }
    Run("rm -rf '" + out + "'");
    return best;
}

double TimeExtractUnderWine(const std::string& build, const std::string& archive, int repetitions) {
    const std::string exe = build + "/tests/bench_extract_win.exe";
    if (!Exists(exe)) {
        std::printf("no %s: build the win64 preset first\n", exe.c_str());
        return -1;
    }
    const std::string command = "'" VELMORA_SOURCE_DIR "/tools/wine-run.sh' '" + build + "' '" + exe +
                                "' 'Z:" + archive + "' 'Z:" + kWork + "/wine_out' " + std::to_string(repetitions);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char line[256];
    double ms = -1;
    int ok = 0;
    while (std::fgets(line, sizeof line, pipe)) {
        std::sscanf(line, "extract_ms=%lf", &ms);
        std::sscanf(line, "extract_ok=%d", &ok);
    }
    pclose(pipe);
    if (!ok) std::printf("ExtractArchive answered false\n");
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string build = argc > 1 ? argv[1] : VELMORA_SOURCE_DIR "/build/win64";
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 3;
    Run("mkdir -p '" + kWork + "'");
    const std::string archive = kWork + "/tool_2000_files.zip";
    if (!Exists(archive)) {
        std::printf("making %s (%d files, %zu MB)\n", archive.c_str(), kFiles, kFiles * kFileSize / 1000000);
        if (!MakeArchive(archive)) {
            std::printf("zip failed\n");
            return 1;
        }
    }
    const double unzipMs = TimeUnzip(archive, repetitions);
    const double wineMs = TimeExtractUnderWine(build, archive, repetitions);
    std::printf("unzip -q (native):            %10.1f ms\n", unzipMs);
    std::printf("ExtractArchive (under Wine):  %10.1f ms\n", wineMs);
    if (unzipMs > 0 && wineMs > 0) std::printf("ratio ExtractArchive / unzip:  %9.2f\n", wineMs / unzipMs);
    return 0;
}
