// Parse, walk and serialise a catalogue-shaped JSON text of about 5 MB with BkJsonEx, nlohmann-json and
// RapidJSON, then print the ratios and the heap cost per value of each tree.
//
// BkJsonEx and RapidJSON read the same wide text (RapidJSON as GenericDocument<UTF16<wchar_t>>); nlohmann reads
// the UTF-8 original. Every throughput figure counts the UTF-8 size, so MB/s compare like for like.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "common/BkJsonEx.h"

namespace {

using WideDocument = rapidjson::GenericDocument<rapidjson::UTF16<wchar_t>>;
using WideValue = rapidjson::GenericValue<rapidjson::UTF16<wchar_t>>;

// ---- The catalogue text

class CatalogueWriter {
public:
    std::string text;
    size_t values = 0;

    CatalogueWriter& Key(const char* name) {
        Separate();
        text += '"';
        text += name;
        text += "\":";
        m_afterKey = true;
        return *this;
    }
    void Open(char bracket) {
        Value();
        text += bracket;
        m_first = true;
    }
    void Close(char bracket) {
        text += bracket;
        m_first = false;
    }
    void Int(long long n) {
        Value();
        text += std::to_string(n);
    }
    void Double(double d) {
        Value();
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2f", d);
        text += buf;
    }
    void String(const std::string& s) {
        Value();
        text += '"';
        text += s;
        text += '"';
    }

private:
    void Separate() {
        if (!m_first) text += ',';
        m_first = false;
    }
    void Value() {
        ++values;
        if (!m_afterKey) Separate();
        m_afterKey = false;
    }
    bool m_first = true;
    bool m_afterKey = false;
};

struct Random {
    std::uint32_t state = 12345;
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }
};

const char* const kWords[] = {
    "\u7CFB\u7EDF", "\u6E05\u7406", "\u5783\u573E", "\u6587\u4EF6", "\u52A0\u901F",       "\u9A71\u52A8",
    "\u5B89\u5168", "\u5378\u8F7D", "\u5DE5\u5177", "\u7EF4\u62A4", "\u6D4F\u89C8\u5668", "\u4E0B\u8F7D",
    "\u538B\u7F29", "\u4F18\u5316", "\u5907\u4EFD", "\u6062\u590D",
};

std::string Words(Random& rnd, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += kWords[rnd.Below(sizeof kWords / sizeof kWords[0])];
    return s;
}

std::string Md5(Random& rnd) {
    static const char kHex[] = "0123456789abcdef";
    std::string s;
    for (int i = 0; i < 32; ++i) s += kHex[rnd.Below(16)];
    return s;
}

constexpr int kSoftCount = 8000;

CatalogueWriter MakeCatalogue() {
    CatalogueWriter w;
    Random rnd;
    w.Open('{');
    w.Key("softlist");
    w.Open('[');
    for (int i = 0; i < kSoftCount; ++i) {
        const std::string id = std::to_string(100000 + i);
        w.Open('{');
        w.Key("softid").Int(100000 + i);
        w.Key("type").Int(1 + rnd.Below(4));
        w.Key("config").String("https:\\/\\/dl.example.com\\/soft\\/" + id + "\\/setup_" + id + ".exe");
        w.Key("regRoot").String(rnd.Below(2) ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER");
        w.Key("regPath").String("SOFTWARE\\\\Vendor" + std::to_string(rnd.Below(500)) + "\\\\Tool" + id);
        w.Key("regkey").String("InstallPath");
        w.Key("checkFile");
        w.Open('[');
        for (int k = 0, n = 1 + static_cast<int>(rnd.Below(3)); k < n; ++k) {
            w.Open('{');
            w.Key("name").String("bin\\\\tool" + std::to_string(k) + ".exe");
            w.Close('}');
        }
        w.Close(']');
        w.Close('}');
    }
    w.Close(']');
    w.Key("table");
    w.Open('[');
    for (int t = 0; t < 32; ++t) {
        w.Open('{');
        w.Key("id").Int(t + 1);
        w.Key("title").String(Words(rnd, 2));
        w.Key("iconnor").String("https:\\/\\/img.example.com\\/tab\\/" + std::to_string(t) + "_nor.png");
        w.Key("iconnor_md5").String(Md5(rnd));
        w.Key("iconsel").String("https:\\/\\/img.example.com\\/tab\\/" + std::to_string(t) + "_sel.png");
        w.Key("iconsel_md5").String(Md5(rnd));
        w.Key("details").String(Words(rnd, 12));
        w.Key("softlist");
        w.Open('[');
        for (int i = 0; i < 300; ++i) {
            const std::string id = std::to_string(100000 + rnd.Below(kSoftCount));
            w.Open('{');
            w.Key("softid").Int(100000 + rnd.Below(kSoftCount));
            w.Key("name").String(Words(rnd, 3));
            w.Key("desc").String(Words(rnd, 14) + " v" + std::to_string(rnd.Below(20)) + ".0");
            w.Key("icon").String("https:\\/\\/img.example.com\\/icon\\/" + id + ".png");
            w.Key("icon_md5").String(Md5(rnd));
            w.Key("size").Int(100000 + rnd.Below(90000000));
            w.Key("score").Double(rnd.Below(500) / 100.0);
            w.Key("downloads").Int(static_cast<long long>(rnd.Next()) * 1000);
            w.Key("tags");
            w.Open('[');
            for (int k = 0; k < 2; ++k) {
                w.Open('[');
                for (int m = 0, n = 1 + static_cast<int>(rnd.Below(3)); m < n; ++m) w.Int(rnd.Below(100));
                w.Close(']');
            }
            w.Close(']');
            w.Close('}');
        }
        w.Close(']');
        w.Close('}');
    }
    w.Close(']');
    w.Key("banner");
    w.Open('[');
    for (int b = 0; b < 8; ++b) {
        w.Open('{');
        w.Key("softid").Int(100000 + b);
        w.Key("image").String("https:\\/\\/img.example.com\\/banner\\/" + std::to_string(b) + ".jpg");
        w.Key("image_md5").String(Md5(rnd));
        w.Close('}');
    }
    w.Close(']');
    w.Close('}');
    return w;
}

// The catalogue holds only BMP characters, so one wide unit per character on every platform.
std::wstring Widen(const std::string& utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<wchar_t>(c);
            i += 1;
        } else if (c < 0xE0) {
            out += static_cast<wchar_t>(((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F));
            i += 2;
        } else {
            out += static_cast<wchar_t>(((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F));
            i += 3;
        }
    }
    return out;
}

struct Corpus {
    Corpus() {
        CatalogueWriter w = MakeCatalogue();
        utf8 = std::move(w.text);
        values = w.values;
        wide = Widen(utf8);
    }
    std::string utf8;
    std::wstring wide;
    size_t values;
};

const Corpus& TheCorpus() {
    static const Corpus corpus;
    return corpus;
}

// ---- Walks: read every member the catalogue reader would read, by name.

// A figure every library can give alike: the first character when it is ASCII, else 128.
long long FirstUnit(unsigned long c) { return (c < 128 ? static_cast<long long>(c) : 128) + 1; }

long long First(const wchar_t* s) { return s != nullptr ? FirstUnit(static_cast<unsigned long>(s[0])) : 0; }

long long WalkBk(BkJsonEx::Document& doc) {
    long long sum = 0;
    BkJsonEx::Handle soft = doc[L"softlist"];
    for (int i = 0, n = soft.Size(); i < n; ++i) {
        BkJsonEx::Handle e = soft[i];
        sum += e[L"softid"].GetInt64() + e[L"type"].GetInt64();
        sum += First(e[L"config"].GetString()) + First(e[L"regRoot"].GetString()) + First(e[L"regPath"].GetString()) +
               First(e[L"regkey"].GetString());
        BkJsonEx::Handle files = e[L"checkFile"];
        for (int k = 0, m = files.Size(); k < m; ++k) sum += First(files[k][L"name"].GetString());
    }
    BkJsonEx::Handle tables = doc[L"table"];
    for (int t = 0, n = tables.Size(); t < n; ++t) {
        BkJsonEx::Handle tab = tables[t];
        sum += tab[L"id"].GetInt64();
        sum += First(tab[L"title"].GetString()) + First(tab[L"iconnor"].GetString()) +
               First(tab[L"iconnor_md5"].GetString()) + First(tab[L"iconsel"].GetString()) +
               First(tab[L"iconsel_md5"].GetString()) + First(tab[L"details"].GetString());
        BkJsonEx::Handle items = tab[L"softlist"];
        for (int i = 0, m = items.Size(); i < m; ++i) {
            BkJsonEx::Handle it = items[i];
            sum += it[L"softid"].GetInt64() + it[L"size"].GetInt64() + it[L"downloads"].GetInt64();
            sum += static_cast<long long>(it[L"score"].GetDouble());
            sum += First(it[L"name"].GetString()) + First(it[L"desc"].GetString()) + First(it[L"icon"].GetString()) +
                   First(it[L"icon_md5"].GetString());
            BkJsonEx::Handle tags = it[L"tags"];
            for (int k = 0, kn = tags.Size(); k < kn; ++k) {
                BkJsonEx::Handle row = tags[k];
                for (int j = 0, jn = row.Size(); j < jn; ++j) sum += row[j].GetInt64();
            }
        }
    }
    BkJsonEx::Handle banners = doc[L"banner"];
    for (int b = 0, n = banners.Size(); b < n; ++b) {
        BkJsonEx::Handle ban = banners[b];
        sum += ban[L"softid"].GetInt64() + First(ban[L"image"].GetString()) + First(ban[L"image_md5"].GetString());
    }
    return sum;
}

long long First(const nlohmann::json& v) {
    return FirstUnit(static_cast<unsigned char>(v.get_ref<const std::string&>()[0]));
}

long long WalkNlohmann(const nlohmann::json& doc) {
    long long sum = 0;
    for (const auto& e : doc["softlist"]) {
        sum += e["softid"].get<long long>() + e["type"].get<long long>();
        sum += First(e["config"]) + First(e["regRoot"]) + First(e["regPath"]) + First(e["regkey"]);
        for (const auto& f : e["checkFile"]) sum += First(f["name"]);
    }
    for (const auto& tab : doc["table"]) {
        sum += tab["id"].get<long long>();
        sum += First(tab["title"]) + First(tab["iconnor"]) + First(tab["iconnor_md5"]) + First(tab["iconsel"]) +
               First(tab["iconsel_md5"]) + First(tab["details"]);
        for (const auto& it : tab["softlist"]) {
            sum += it["softid"].get<long long>() + it["size"].get<long long>() + it["downloads"].get<long long>();
            sum += static_cast<long long>(it["score"].get<double>());
            sum += First(it["name"]) + First(it["desc"]) + First(it["icon"]) + First(it["icon_md5"]);
            for (const auto& row : it["tags"])
                for (const auto& tag : row) sum += tag.get<long long>();
        }
    }
    for (const auto& ban : doc["banner"])
        sum += ban["softid"].get<long long>() + First(ban["image"]) + First(ban["image_md5"]);
    return sum;
}

long long First(const WideValue& v) { return FirstUnit(static_cast<unsigned long>(v.GetString()[0])); }

long long WalkRapid(const WideDocument& doc) {
    long long sum = 0;
    for (const auto& e : doc[L"softlist"].GetArray()) {
        sum += e[L"softid"].GetInt64() + e[L"type"].GetInt64();
        sum += First(e[L"config"]) + First(e[L"regRoot"]) + First(e[L"regPath"]) + First(e[L"regkey"]);
        for (const auto& f : e[L"checkFile"].GetArray()) sum += First(f[L"name"]);
    }
    for (const auto& tab : doc[L"table"].GetArray()) {
        sum += tab[L"id"].GetInt64();
        sum += First(tab[L"title"]) + First(tab[L"iconnor"]) + First(tab[L"iconnor_md5"]) + First(tab[L"iconsel"]) +
               First(tab[L"iconsel_md5"]) + First(tab[L"details"]);
        for (const auto& it : tab[L"softlist"].GetArray()) {
            sum += it[L"softid"].GetInt64() + it[L"size"].GetInt64() + it[L"downloads"].GetInt64();
            sum += static_cast<long long>(it[L"score"].GetDouble());
            sum += First(it[L"name"]) + First(it[L"desc"]) + First(it[L"icon"]) + First(it[L"icon_md5"]);
            for (const auto& row : it[L"tags"].GetArray())
                for (const auto& tag : row.GetArray()) sum += tag.GetInt64();
        }
    }
    for (const auto& ban : doc[L"banner"].GetArray())
        sum += ban[L"softid"].GetInt64() + First(ban[L"image"]) + First(ban[L"image_md5"]);
    return sum;
}

// ---- Benchmarks

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(TheCorpus().utf8.size()));
}

void BM_Parse_BkJsonEx(benchmark::State& state) {
    const std::wstring& text = TheCorpus().wide;
    for (auto _ : state) {
        BkJsonEx::Document doc;
        if (!doc.Parse(text.c_str())) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(doc.GetType());
    }
    SetBytes(state);
}

void BM_Parse_Nlohmann(benchmark::State& state) {
    const std::string& text = TheCorpus().utf8;
    for (auto _ : state) {
        nlohmann::json doc = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(doc.size());
    }
    SetBytes(state);
}

void BM_Parse_RapidJSON(benchmark::State& state) {
    const std::wstring& text = TheCorpus().wide;
    for (auto _ : state) {
        WideDocument doc;
        if (doc.Parse(text.c_str()).HasParseError()) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(doc.MemberCount());
    }
    SetBytes(state);
}

void BM_Walk_BkJsonEx(benchmark::State& state) {
    BkJsonEx::Document doc;
    doc.Parse(TheCorpus().wide.c_str());
    for (auto _ : state) benchmark::DoNotOptimize(WalkBk(doc));
    SetBytes(state);
}

void BM_Walk_Nlohmann(benchmark::State& state) {
    const nlohmann::json doc = nlohmann::json::parse(TheCorpus().utf8);
    for (auto _ : state) benchmark::DoNotOptimize(WalkNlohmann(doc));
    SetBytes(state);
}

void BM_Walk_RapidJSON(benchmark::State& state) {
    WideDocument doc;
    doc.Parse(TheCorpus().wide.c_str());
    for (auto _ : state) benchmark::DoNotOptimize(WalkRapid(doc));
    SetBytes(state);
}

void BM_Serialize_BkJsonEx(benchmark::State& state) {
    BkJsonEx::Document doc;
    doc.Parse(TheCorpus().wide.c_str());
    for (auto _ : state) {
        std::wstring text = doc.Serialize();
        benchmark::DoNotOptimize(text.data());
    }
    SetBytes(state);
}

void BM_Serialize_Nlohmann(benchmark::State& state) {
    const nlohmann::json doc = nlohmann::json::parse(TheCorpus().utf8);
    for (auto _ : state) {
        std::string text = doc.dump();
        benchmark::DoNotOptimize(text.data());
    }
    SetBytes(state);
}

void BM_Serialize_RapidJSON(benchmark::State& state) {
    WideDocument doc;
    doc.Parse(TheCorpus().wide.c_str());
    using Buffer = rapidjson::GenericStringBuffer<rapidjson::UTF16<wchar_t>>;
    for (auto _ : state) {
        Buffer buffer;
        rapidjson::Writer<Buffer, rapidjson::UTF16<wchar_t>, rapidjson::UTF16<wchar_t>> writer(buffer);
        doc.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
    SetBytes(state);
}

BENCHMARK(BM_Parse_BkJsonEx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_Nlohmann)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_RapidJSON)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk_BkJsonEx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk_Nlohmann)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk_RapidJSON)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Serialize_BkJsonEx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Serialize_Nlohmann)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Serialize_RapidJSON)->Unit(benchmark::kMillisecond);

// ---- Summary: ratios to BkJsonEx and heap bytes per value

// Collects the CPU time of every run so the ratios can be printed after the table. CPU time, because the
// machines that run this are often shared.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions the median stands for the benchmark; a single run stands for itself.
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string& name = run.run_name.function_name;
            if (median || (run.run_type == Run::RT_Iteration && m_fromMedian.count(name) == 0)) {
                seconds[name] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
                if (median) m_fromMedian.insert(name);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::set<std::string> m_fromMedian;
};

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

template <class Parse>
double BytesPerValue(Parse parse) {
    const size_t before = HeapInUse();
    auto doc = parse();
    const size_t after = HeapInUse();
    benchmark::DoNotOptimize(doc.get());
    return static_cast<double>(after - before) / static_cast<double>(TheCorpus().values);
}

void PrintSummary(const RatioReporter& reporter) {
    const Corpus& corpus = TheCorpus();
    const double megabytes = static_cast<double>(corpus.utf8.size()) / (1024.0 * 1024.0);
    std::printf("\nCatalogue: %.2f MB UTF-8, %zu values, wchar_t of %zu bytes\n", megabytes, corpus.values,
                sizeof(wchar_t));
    const char* const stages[] = {"Parse", "Walk", "Serialize", "Parse+Walk"};
    const char* const libraries[] = {"BkJsonEx", "Nlohmann", "RapidJSON"};
    auto timeOf = [&](const std::string& stage, const std::string& library) {
        auto find = [&](const std::string& name) {
            const auto at = reporter.seconds.find("BM_" + name + "_" + library);
            return at == reporter.seconds.end() ? 0.0 : at->second;
        };
        if (stage == "Parse+Walk") return find("Parse") + find("Walk");
        return find(stage);
    };
    std::printf("%-11s %12s %12s %12s   %s\n", "MB/s (CPU)", "BkJsonEx", "nlohmann", "RapidJSON",
                "nlohmann/BkJsonEx time, BkJsonEx/RapidJSON time");
    for (const char* stage : stages) {
        double t[3];
        for (int i = 0; i < 3; ++i) t[i] = timeOf(stage, libraries[i]);
        if (t[0] <= 0 || t[1] <= 0 || t[2] <= 0) continue;
        std::printf("%-11s %12.1f %12.1f %12.1f   %.2fx, %.2fx\n", stage, megabytes / t[0], megabytes / t[1],
                    megabytes / t[2], t[1] / t[0], t[0] / t[2]);
    }

    const double bk = BytesPerValue([&] {
        auto doc = std::make_unique<BkJsonEx::Document>();
        doc->Parse(corpus.wide.c_str());
        return doc;
    });
    const double nl =
        BytesPerValue([&] { return std::make_unique<nlohmann::json>(nlohmann::json::parse(corpus.utf8)); });
    const double rj = BytesPerValue([&] {
        auto doc = std::make_unique<WideDocument>();
        doc->Parse(corpus.wide.c_str());
        return doc;
    });
    std::printf(
        "\nHeap bytes per value (tree with its texts and names): BkJsonEx %.1f, nlohmann %.1f, RapidJSON %.1f\n", bk,
        nl, rj);
    std::printf("Text alone: %.1f bytes per value as UTF-8, %.1f as wchar_t\n",
                static_cast<double>(corpus.utf8.size()) / static_cast<double>(corpus.values),
                static_cast<double>(corpus.wide.size() * sizeof(wchar_t)) / static_cast<double>(corpus.values));
    std::printf("sizeof: ValueNull %zu, ValueLongLong %zu, ValueString %zu, ValueArray %zu, Member %zu\n",
                sizeof(BkJsonEx::ValueNull), sizeof(BkJsonEx::ValueLongLong), sizeof(BkJsonEx::ValueString),
                sizeof(BkJsonEx::ValueArray), sizeof(BkJsonEx::Member));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TheCorpus();
    {
        // The three libraries must read the same catalogue.
        BkJsonEx::Document bk;
        WideDocument rj;
        bk.Parse(TheCorpus().wide.c_str());
        rj.Parse(TheCorpus().wide.c_str());
        const long long a = WalkBk(bk);
        const long long b = WalkNlohmann(nlohmann::json::parse(TheCorpus().utf8));
        const long long c = WalkRapid(rj);
        if (a != b || a != c) {
            std::fprintf(stderr, "walks disagree: %lld %lld %lld\n", a, b, c);
            return 1;
        }
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
