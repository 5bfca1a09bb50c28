// Gzip data made in tests with zlib itself, and the text zlib's own
// streaming inflate gets out of any bytes: the oracle for reading in place.
#pragma once

#include <zlib.h>

#include <string>

// One gzip member holding text.
inline std::string GzipMember(const std::string& text, int level = 6)
{
    z_stream zs{};
    deflateInit2(&zs, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(text.size())) + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    zs.avail_in = static_cast<uInt>(text.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

// The text of every whole or partial member in gz, as a streaming reader
// that stops at the first damage or at bytes that start no member gets it.
inline std::string InflateAll(const std::string& gz)
{
    std::string text;
    size_t at = 0;
    while (gz.size() - at >= 2 && static_cast<unsigned char>(gz[at]) == 0x1f &&
           static_cast<unsigned char>(gz[at + 1]) == 0x8b) {
        z_stream zs{};
        inflateInit2(&zs, 15 + 16);
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.data() + at));
        zs.avail_in = static_cast<uInt>(gz.size() - at);
        char buf[65536];
        int rc;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buf);
            zs.avail_out = sizeof buf;
            rc = inflate(&zs, Z_NO_FLUSH);
            text.append(buf, sizeof buf - zs.avail_out);
        } while (rc == Z_OK);
        at += zs.total_in;
        inflateEnd(&zs);
        if (rc != Z_STREAM_END)
            break;
    }
    return text;
}
