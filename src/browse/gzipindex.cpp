#include "browse/gzipindex.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr char kMagic[8] = {'F', 'T', 'G', 'Z', 'I', 'D', 'X', '\n'};
constexpr uint32_t kVersion = 2;
constexpr size_t kWindowMax = 32768;
// A packed window never needs more than this (deflate's worst case for 32 KiB).
constexpr uint32_t kPackedMax = 40000;

void Put(std::string& out, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// Reads little-endian numbers from a byte string, failing (once, for good)
// at the first read past its end.
struct Reader {
    const std::string& s;
    size_t at = 0;
    bool ok = true;

    uint64_t Get(int bytes)
    {
        if (!ok || s.size() - at < static_cast<size_t>(bytes)) {
            ok = false;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= static_cast<uint64_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
        at += static_cast<size_t>(bytes);
        return v;
    }
    int64_t Signed() { return static_cast<int64_t>(Get(8)); }
};

void PutKey(std::string& out, const GzipKey& key)
{
    Put(out, key.device, 8);
    Put(out, key.inode, 8);
    Put(out, static_cast<uint64_t>(key.size), 8);
    Put(out, static_cast<uint64_t>(key.mtimeSec), 8);
    Put(out, static_cast<uint64_t>(key.mtimeNsec), 8);
    Put(out, key.fingerprint, 8);
}

uint32_t Checksum(const std::string& s, size_t len)
{
    return static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(len)));
}

} // namespace

bool operator==(const GzipKey& a, const GzipKey& b)
{
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.mtimeSec == b.mtimeSec && a.mtimeNsec == b.mtimeNsec && a.fingerprint == b.fingerprint;
}

std::string IndexFileHead(const GzipKey& key)
{
    std::string out(kMagic, sizeof kMagic);
    Put(out, kVersion, 4);
    PutKey(out, key);
    return out;
}

std::string IndexFileTable(const GzipIndex& index, int64_t tableAt)
{
    std::string out;
    for (const GzipPoint& p : index.points) {
        Put(out, static_cast<uint64_t>(p.out), 8);
        Put(out, static_cast<uint64_t>(p.in), 8);
        Put(out, static_cast<uint64_t>(p.bits), 1);
        Put(out, static_cast<uint64_t>(p.windowAt < 0 ? 0 : p.windowAt), 8);
        Put(out, p.windowLen, 4);
    }
    Put(out, static_cast<uint64_t>(index.textSize), 8);
    Put(out, index.damaged ? 1 : 0, 1);
    Put(out, index.points.size(), 4);
    Put(out, static_cast<uint64_t>(tableAt), 8);
    return out;
}

std::string IndexFileBytes(const GzipIndex& index, const GzipKey& key)
{
    std::string out = IndexFileHead(key);
    GzipIndex placed = index;
    for (GzipPoint& p : placed.points) {
        p.windowAt = p.window.empty() ? 0 : static_cast<int64_t>(out.size());
        p.windowLen = static_cast<uint32_t>(p.window.size());
        out += p.window;
    }
    out += IndexFileTable(placed, static_cast<int64_t>(out.size()));
    Put(out, Checksum(out, out.size()), 4);
    return out;
}

bool ParseIndexFile(int64_t size, const IndexBytesAt& read, const GzipKey& key, GzipIndex& index)
{
    index = GzipIndex{};
    constexpr int64_t kTrailer = 21, kEntry = 29;
    if (size < kIndexHeadSize + kTrailer + 4)
        return false;
    // The checksum first, over the whole file, a block at a time.
    uint32_t crc = 0;
    std::string block(65536, '\0');
    int64_t body = size - 4;
    for (int64_t at = 0; at < body;) {
        size_t n = static_cast<size_t>(std::min<int64_t>(body - at, static_cast<int64_t>(block.size())));
        if (!read(at, n, &block[0]))
            return false;
        crc = static_cast<uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(n)));
        at += static_cast<int64_t>(n);
    }
    std::string head(static_cast<size_t>(kIndexHeadSize), '\0');
    std::string tail(static_cast<size_t>(kTrailer + 4), '\0');
    if (!read(0, head.size(), &head[0]) || !read(body - kTrailer, tail.size(), &tail[0]))
        return false;
    Reader check{tail, static_cast<size_t>(kTrailer)};
    if (check.Get(4) != crc || head != IndexFileHead(key))
        return false;
    Reader t{tail};
    GzipIndex got;
    got.textSize = t.Signed();
    uint64_t damaged = t.Get(1);
    uint64_t count = t.Get(4);
    int64_t tableAt = t.Signed();
    if (damaged > 1 || got.textSize < 0 || count == 0 || tableAt < kIndexHeadSize ||
        tableAt > body - kTrailer || (body - kTrailer - tableAt) / kEntry != static_cast<int64_t>(count) ||
        (body - kTrailer - tableAt) % kEntry != 0)
        return false;
    got.damaged = damaged == 1;
    std::string table(static_cast<size_t>(count * kEntry), '\0');
    if (!read(tableAt, table.size(), &table[0]))
        return false;
    Reader r{table};
    for (uint64_t i = 0; i < count; ++i) {
        GzipPoint p;
        p.out = r.Signed();
        p.in = r.Signed();
        p.bits = static_cast<int>(r.Get(1));
        p.windowAt = r.Signed();
        p.windowLen = static_cast<uint32_t>(r.Get(4));
        // Points climb in both offsets, lie inside the file and its text,
        // and only the first one starts at the header, without a window;
        // every window lies between the head and the table.
        const GzipPoint* before = got.points.empty() ? nullptr : &got.points.back();
        if (before == nullptr ? (p.out != 0 || p.in != 0 || p.bits != 0 || p.windowLen != 0)
                              : (p.out <= before->out || p.in <= before->in || p.windowLen == 0 ||
                                 p.windowLen > kPackedMax || p.windowAt < kIndexHeadSize ||
                                 p.windowAt > tableAt - static_cast<int64_t>(p.windowLen)))
            return false;
        if (p.bits > 7 || p.out > got.textSize || p.in > key.size)
            return false;
        if (before == nullptr)
            p.windowAt = -1;
        got.points.push_back(std::move(p));
    }
    index = std::move(got);
    return true;
}

bool ParseIndexFile(const std::string& bytes, const GzipKey& key, GzipIndex& index)
{
    auto read = [&bytes](int64_t at, size_t n, char* out) {
        if (at < 0 || static_cast<uint64_t>(at) > bytes.size() || bytes.size() - static_cast<size_t>(at) < n)
            return false;
        memcpy(out, bytes.data() + at, n);
        return true;
    };
    return ParseIndexFile(static_cast<int64_t>(bytes.size()), read, key, index);
}

std::string PackWindow(const unsigned char* text, size_t len)
{
    uLongf room = compressBound(static_cast<uLong>(len));
    std::string out(room, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &room, text, static_cast<uLong>(len), 6) != Z_OK)
        return {};
    out.resize(room);
    return out;
}

bool UnpackWindow(const std::string& packed, std::string& text)
{
    text.assign(kWindowMax, '\0');
    uLongf len = kWindowMax;
    int rc = uncompress(reinterpret_cast<Bytef*>(&text[0]), &len,
                        reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size()));
    if (rc != Z_OK || len == 0) {
        text.clear();
        return false;
    }
    text.resize(len);
    return true;
}
