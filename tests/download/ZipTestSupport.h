// Builds small ZIP archives in memory for the reader and extraction tests, so that each case shows exactly the
// bytes that matter (a name, a flag, an extra block, a wrong CRC).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ziptest {

struct Entry {
    std::string name;
    std::string data;
    bool deflate = false;
    std::uint16_t flags = 0;        // bit 0: encrypted (the data is left as it is)
    bool dataDescriptor = false;    // sizes and CRC after the data, zero in the local header
    bool wrongCrc = false;          // the directory's CRC-32 is off by one
    std::uint16_t madeBy = 0x0314;  // host 3 (Unix), version 2.0
    std::uint32_t external = 0100644u << 16;
    std::uint16_t dosDate = (45 << 9) | (6 << 5) | 15;   // 2025-06-15
    std::uint16_t dosTime = (10 << 11) | (30 << 5) | 4;  // 10:30:08
    std::string localExtra;
};

inline void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline std::string Deflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// An extended-timestamp block ("UT") with the given flags and times.
inline std::string UtBlock(unsigned flags, const std::vector<std::uint32_t>& times) {
    std::string block;
    Put16(block, 0x5455);
    Put16(block, static_cast<unsigned>(1 + 4 * times.size()));
    block += static_cast<char>(flags);
    for (std::uint32_t t : times) Put32(block, t);
    return block;
}

inline std::string Build(const std::vector<Entry>& entries, const std::string& prefix = std::string()) {
    std::string out = prefix, dir;
    for (const Entry& e : entries) {
        const std::string stored = e.deflate ? Deflate(e.data) : e.data;
        std::uint32_t crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
        if (e.wrongCrc) crc += 1;
        const std::uint16_t flags = static_cast<std::uint16_t>(e.flags | (e.dataDescriptor ? 0x0008 : 0));
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const unsigned method = e.deflate ? 8 : 0;

        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, flags);
        Put16(out, method);
        Put16(out, e.dosTime);
        Put16(out, e.dosDate);
        Put32(out, e.dataDescriptor ? 0 : crc);
        Put32(out, e.dataDescriptor ? 0 : static_cast<std::uint32_t>(stored.size()));
        Put32(out, e.dataDescriptor ? 0 : static_cast<std::uint32_t>(e.data.size()));
        Put16(out, static_cast<unsigned>(e.name.size()));
        Put16(out, static_cast<unsigned>(e.localExtra.size()));
        out += e.name;
        out += e.localExtra;
        out += stored;
        if (e.dataDescriptor) {
            Put32(out, 0x08074b50);
            Put32(out, crc);
            Put32(out, static_cast<std::uint32_t>(stored.size()));
            Put32(out, static_cast<std::uint32_t>(e.data.size()));
        }

        Put32(dir, 0x02014b50);
        Put16(dir, e.madeBy);
        Put16(dir, 20);
        Put16(dir, flags);
        Put16(dir, method);
        Put16(dir, e.dosTime);
        Put16(dir, e.dosDate);
        Put32(dir, crc);
        Put32(dir, static_cast<std::uint32_t>(stored.size()));
        Put32(dir, static_cast<std::uint32_t>(e.data.size()));
        Put16(dir, static_cast<unsigned>(e.name.size()));
        Put16(dir, 0);  // extra
        Put16(dir, 0);  // comment
        Put16(dir, 0);  // disk
        Put16(dir, 0);  // internal attributes
        Put32(dir, e.external);
        Put32(dir, offset);
        dir += e.name;
    }
    const std::uint32_t dirOffset = static_cast<std::uint32_t>(out.size());
    out += dir;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(entries.size()));
    Put16(out, static_cast<unsigned>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(dir.size()));
    Put32(out, dirOffset);
    Put16(out, 0);
    return out;
}

inline Entry File(std::string name, std::string data, bool deflate = false) {
    Entry e;
    e.name = std::move(name);
    e.data = std::move(data);
    e.deflate = deflate;
    return e;
}

// Text that compresses well but is not one repeated byte.
inline std::string SampleText(std::size_t size, unsigned seed = 1) {
    std::string s;
    s.reserve(size);
    std::uint32_t x = seed;
    while (s.size() < size) {
        x = x * 1103515245u + 12345u;
        s += "tool line " + std::to_string((x >> 16) % 97) + "\n";
    }
    s.resize(size);
    return s;
}

}  // namespace ziptest
