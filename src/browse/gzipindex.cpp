#include "browse/gzipindex.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr char kMagic[8] = {'F', 'T', 'G', 'Z', 'I', 'D', 'X', '\n'};
constexpr uint32_t kVersion = 1;
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

std::string IndexFileBytes(const GzipIndex& index, const GzipKey& key)
{
    std::string out(kMagic, sizeof kMagic);
    Put(out, kVersion, 4);
    PutKey(out, key);
    Put(out, static_cast<uint64_t>(index.textSize), 8);
    Put(out, index.damaged ? 1 : 0, 1);
    Put(out, index.points.size(), 4);
    for (const GzipPoint& p : index.points) {
        Put(out, static_cast<uint64_t>(p.out), 8);
        Put(out, static_cast<uint64_t>(p.in), 8);
        Put(out, static_cast<uint64_t>(p.bits), 1);
        Put(out, p.window.size(), 4);
        out += p.window;
    }
    Put(out, Checksum(out, out.size()), 4);
    return out;
}

bool ParseIndexFile(const std::string& bytes, const GzipKey& key, GzipIndex& index)
{
    index = GzipIndex{};
    if (bytes.size() < sizeof kMagic + 4 || memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return false;
    size_t body = bytes.size() - 4;
    Reader tail{bytes, body};
    if (tail.Get(4) != Checksum(bytes, body))
        return false;
    Reader r{bytes, sizeof kMagic};
    if (r.Get(4) != kVersion)
        return false;
    GzipKey stored;
    stored.device = r.Get(8);
    stored.inode = r.Get(8);
    stored.size = r.Signed();
    stored.mtimeSec = r.Signed();
    stored.mtimeNsec = r.Signed();
    stored.fingerprint = r.Get(8);
    if (!r.ok || !(stored == key))
        return false;
    GzipIndex got;
    got.textSize = r.Signed();
    uint64_t damaged = r.Get(1);
    uint64_t count = r.Get(4);
    // Every point takes at least 21 bytes: a count beyond that is a lie.
    if (!r.ok || damaged > 1 || got.textSize < 0 || count == 0 || count > (body - r.at) / 21)
        return false;
    got.damaged = damaged == 1;
    for (uint64_t i = 0; i < count; ++i) {
        GzipPoint p;
        p.out = r.Signed();
        p.in = r.Signed();
        p.bits = static_cast<int>(r.Get(1));
        uint64_t len = r.Get(4);
        if (!r.ok || len > kPackedMax || len > body - r.at || p.bits > 7)
            return false;
        p.window.assign(bytes, r.at, static_cast<size_t>(len));
        r.at += static_cast<size_t>(len);
        // Points climb in both offsets, lie inside the file and its text,
        // and only the first one starts at the header, without a window.
        const GzipPoint* before = got.points.empty() ? nullptr : &got.points.back();
        bool first = before == nullptr;
        if (first ? (p.out != 0 || p.in != 0 || p.bits != 0 || len != 0)
                  : (p.out <= before->out || p.in <= before->in || len == 0))
            return false;
        if (p.out > got.textSize || p.in > key.size)
            return false;
        got.points.push_back(std::move(p));
    }
    if (r.at != body)
        return false;
    index = std::move(got);
    return true;
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
