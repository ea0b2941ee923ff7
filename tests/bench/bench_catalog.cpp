// Loads a generated catalogue of 10,000 cards the way the program does and times each step: unscramble the file
// image, UTF-8 to wide text, parse, build the model, free the parsed tree. A plain program (no benchmark
// library) so the same source runs natively and as a Windows program under Wine.
//
//   bench_catalog [repetitions]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "catalog/CatalogFile.h"
#include "catalog/SoftCatalog.h"
#include "common/BkJsonEx.h"
#include "common/Utf8.h"

namespace {

constexpr int kTables = 50;
constexpr int kItemsPerTable = 200;
constexpr int kSofts = 2000;
constexpr int kBanners = 30;

std::string Md5Like(int n) {
    char text[40];
    std::snprintf(text, sizeof text, "%08x%08x%08x%08x", n * 2654435761u, n ^ 0x5bd1e995u, n * 40503u, n + 7u);
    return text;
}

std::string GenerateCatalogue() {
    const char* words[] = {"垃圾清理", "驱动备份", "C盘瘦身",  "PDF转换",
                           "网络测速", "系统信息", "右键管理", "开机加速"};
    const char* osTexts[] = {"", "", "", "12,13", "8,10,11", "8"};
    std::string t = "{\"softlist\":[";
    for (int s = 0; s < kSofts; ++s) {
        if (s) t += ',';
        const std::string id = std::to_string(1000 + s);
        t += "{\"softid\":" + id + ",\"type\":" + std::to_string(1 + s % 4) +
             ",\"config\":\"http://127.0.0.1:8731/soft/" + id +
             ".zip\",\"regRoot\":\"HKEY_CURRENT_USER\","
             "\"regPath\":\"Software\\\\VelmoraBench\\\\" +
             id +
             "\",\"regkey\":\"InstallDir\","
             "\"checkFile\":[{\"name\":\"tool" +
             id + ".exe\"},{\"name\":\"lang\\\\zh-CN.dll\"}]}";
    }
    t += "],\"table\":[";
    for (int k = 0; k < kTables; ++k) {
        if (k) t += ',';
        t += "{\"id\":" + std::to_string(k + 1) + ",\"title\":\"分类" + std::to_string(k + 1) +
             "\",\"iconnor\":\"http://127.0.0.1:8731/icons/c" + std::to_string(k) + "n.png\",\"iconnor_md5\":\"" +
             Md5Like(k) + "\",\"iconsel\":\"http://127.0.0.1:8731/icons/c" + std::to_string(k) +
             "s.png\",\"iconsel_md5\":\"" + Md5Like(k + 500) + "\",\"details\":\"说明文字\",\"softlist\":[";
        for (int i = 0; i < kItemsPerTable; ++i) {
            if (i) t += ',';
            const int n = k * kItemsPerTable + i;
            const std::string softid = std::to_string(1000 + n % kSofts);
            t += "{\"itemid\":" + std::to_string(i + 1) + ",\"softid\":" + softid + ",\"name\":\"" + words[n % 8] +
                 " " + std::to_string(n) + "\",\"details\":\"一键" + words[(n + 3) % 8] +
                 "，简单好用\",\"icon\":\"http://127.0.0.1:8731/icons/" + softid + ".png\",\"icon_md5\":\"" +
                 Md5Like(n + 1000) + "\",\"installcmd\":\"/S\",\"runfilename\":\"tool" + softid +
                 ".exe\",\"runcmd\":\"\",\"downloadfilename\":\"setup" + softid + ".exe\",\"os\":\"" + osTexts[n % 6] +
                 "\"}";
        }
        t += "]}";
    }
    t += "],\"bannerList\":[";
    for (int b = 0; b < kBanners; ++b) {
        if (b) t += ',';
        const std::string softid = std::to_string(1000 + b);
        t += "{\"imgbg\":\"http://127.0.0.1:8731/banners/" + softid + ".png\",\"img_md5\":\"" + Md5Like(b + 9000) +
             "\",\"title\":\"推荐" + softid + "\",\"softid\":" + softid +
             ",\"installcmd\":\"/S\",\"runfilename\":"
             "\"tool" +
             softid + ".exe\",\"runcmd\":\"\",\"downloadfilename\":\"setup" + softid + ".exe\"}";
    }
    t += "]}";
    return t;
}

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string json = GenerateCatalogue();
    const std::string image = PackCatalogFile(json);
    const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());

    enum { kUnscramble, kWiden, kParse, kBuild, kFree, kSteps };
    const char* names[kSteps] = {"unscramble", "UTF-8 to wide", "parse (BkJsonEx)", "build the model", "free the tree"};
    std::vector<double> times[kSteps];
    std::vector<double> endToEnd, buildAll;
    size_t cards = 0, wideChars = 0;

    for (int r = 0; r < repetitions; ++r) {
        {
            const Clock::time_point t0 = Clock::now();
            std::string utf8;
            if (UnpackCatalogFile(bytes, image.size(), utf8) != CatalogError::kNone) return 1;
            const Clock::time_point t1 = Clock::now();
            std::wstring text;
            Utf8ToWide(utf8, text);
            const Clock::time_point t2 = Clock::now();
            auto document = std::make_unique<BkJsonEx::Document>();
            if (!document->Parse(text.c_str())) return 1;
            const Clock::time_point t3 = Clock::now();
            CatalogLists lists;
            if (!ReadCatalogLists(*document, 12, lists)) return 1;
            const Clock::time_point t4 = Clock::now();
            document.reset();
            const Clock::time_point t5 = Clock::now();

            times[kUnscramble].push_back(Ms(t1 - t0));
            times[kWiden].push_back(Ms(t2 - t1));
            times[kParse].push_back(Ms(t3 - t2));
            times[kBuild].push_back(Ms(t4 - t3));
            times[kFree].push_back(Ms(t5 - t4));
            wideChars = text.size();
            cards = 0;
            for (const TableEntry& table : lists.tables) cards += table.items.size();
        }
        // The real entry point, for the total as the loader sees it.
        {
            const Clock::time_point e0 = Clock::now();
            CatalogLists lists;
            if (DecodeCatalog(bytes, image.size(), 12, lists) != CatalogError::kNone) return 1;
            endToEnd.push_back(Ms(Clock::now() - e0));
        }
    }

    // Every card kept, as on a system that every "os" text names; a loop of its own so that the heap is in the
    // same state for each run.
    for (int r = 0; r < repetitions; ++r) {
        std::string utf8;
        UnpackCatalogFile(bytes, image.size(), utf8);
        const std::wstring text = Utf8ToWide(utf8);
        BkJsonEx::Document document;
        document.Parse(text.c_str());
        const Clock::time_point b0 = Clock::now();
        CatalogLists all;
        ReadCatalogLists(document, 12, all, false);
        buildAll.push_back(Ms(Clock::now() - b0));
    }

    std::printf("catalogue: %d tools, %d categories x %d cards, %d banners; %zu bytes packed, %zu wide chars\n", kSofts,
                kTables, kItemsPerTable, kBanners, image.size(), wideChars);
    std::printf("cards shown for OS code 12: %zu; medians of %d runs, and the first run on a fresh heap\n\n", cards,
                repetitions);
    double sum = 0, firstSum = 0;
    double median[kSteps];
    for (int s = 0; s < kSteps; ++s) {
        sum += median[s] = Median(times[s]);
        firstSum += times[s][0];
    }
    std::printf("%-18s %10s %7s %10s\n", "step", "median ms", "share", "first ms");
    for (int s = 0; s < kSteps; ++s)
        std::printf("%-18s %10.2f %6.1f%% %10.2f\n", names[s], median[s], 100.0 * median[s] / sum, times[s][0]);
    std::printf("%-18s %10.2f %7s %10.2f\n", "sum of steps", sum, "", firstSum);
    std::printf("%-18s %10.2f\n\n", "DecodeCatalog", Median(endToEnd));
    std::printf("model building / parse = %.2f median, %.2f first run (goal: below 1)\n",
                median[kBuild] / median[kParse], times[kBuild][0] / times[kParse][0]);
    std::printf("with all %d cards kept: building %.2f ms, / parse = %.2f\n", kTables * kItemsPerTable,
                Median(buildAll), Median(buildAll) / median[kParse]);
    return 0;
}
