// Times ExtractArchive under Wine: unpacks one archive into a fresh folder several times and prints the best run.
// bench_extract (the native driver) builds the archive, runs this program and compares with unzip.
//
//   bench_extract_win <archive> <folder> [repetitions]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "../common/WinTestSupport_win.h"
#include "download/ExtractArchive.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_extract_win <archive> <folder> [repetitions]\n");
        return 2;
    }
    const std::wstring archive = argv[1], folder = argv[2];
    const int repetitions = argc > 3 ? _wtoi(argv[3]) : 3;
    double best = 0;
    bool ok = true;
    for (int i = 0; i < repetitions; ++i) {
        wintest::RemoveTree(folder);
        const auto start = std::chrono::steady_clock::now();
        ok = ExtractArchive(folder, archive) && ok;
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (i == 0 || ms < best) best = ms;
    }
    wintest::RemoveTree(folder);
    std::printf("extract_ok=%d\nextract_ms=%.1f\n", ok ? 1 : 0, best);
    return ok ? 0 : 1;
}
