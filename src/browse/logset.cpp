#include "browse/logset.h"

#include <algorithm>

namespace {

const char* const compressionSuffixes[] = {".gz", ".bz2", ".xz", ".zst", ".lz4", ".lzma", ".Z", ".z"};

std::string FileName(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The name without its compression suffix.
std::string Uncompressed(const std::string& name)
{
    for (const char* suffix : compressionSuffixes)
        if (EndsWith(name, suffix))
            return name.substr(0, name.size() - std::string(suffix).size());
    return name;
}

// Where the trailing ".N" of a name begins; npos without one.
size_t NumberDot(const std::string& name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 >= name.size() || dot == 0)
        return std::string::npos;
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return std::string::npos;
    // Seven digits or more are a date or a stamp, not a rotation.
    return name.size() - dot - 1 > 6 ? std::string::npos : dot;
}

} // namespace

bool CompressedName(const std::string& path)
{
    std::string name = FileName(path);
    return Uncompressed(name) != name;
}

int RotationNumber(const std::string& path)
{
    std::string name = Uncompressed(FileName(path));
    size_t dot = NumberDot(name);
    return dot == std::string::npos ? 0 : std::stoi(name.substr(dot + 1));
}

std::string RotationBase(const std::string& path)
{
    std::string name = Uncompressed(FileName(path));
    size_t dot = NumberDot(name);
    return dot == std::string::npos ? name : name.substr(0, dot);
}

int64_t OrderMembers(std::vector<SetMember>& members)
{
    std::stable_sort(members.begin(), members.end(), [](const SetMember& a, const SetMember& b) {
        if (a.firstTime != b.firstTime)
            return a.firstTime < b.firstTime;
        if (a.rotation != b.rotation)
            return a.rotation > b.rotation;
        return a.path < b.path;
    });
    int64_t at = 0;
    for (SetMember& m : members) {
        m.start = at;
        at += m.size;
    }
    return at;
}

size_t MemberAt(const std::vector<SetMember>& members, int64_t offset)
{
    if (members.empty())
        return 0;
    // The first member that begins after the offset; the one before it,
    // stepped back over empty members, holds it.
    auto after = std::upper_bound(members.begin(), members.end(), offset,
                                  [](int64_t o, const SetMember& m) { return o < m.start; });
    size_t i = static_cast<size_t>(after - members.begin());
    if (i == 0)
        return 0;
    --i;
    while (i > 0 && members[i].size == 0)
        --i;
    return i;
}

std::vector<int> MatchMembers(const std::vector<SetMember>& before, const std::vector<SetMember>& after)
{
    std::vector<int> match(before.size(), -1);
    std::vector<bool> taken(after.size(), false);
    auto begins = [](const SetMember& later, const SetMember& earlier) {
        return !earlier.head.empty() && later.head.compare(0, earlier.head.size(), earlier.head) == 0;
    };
    for (size_t i = 0; i < before.size(); ++i) {
        const SetMember& old = before[i];
        int sameFile = -1;
        int alike = -1;
        for (size_t j = 0; j < after.size() && sameFile < 0; ++j) {
            if (taken[j] || !begins(after[j], old))
                continue;
            if (after[j].device == old.device && after[j].inode == old.inode)
                sameFile = static_cast<int>(j);
            else if (alike < 0)
                alike = static_cast<int>(j);
        }
        int j = sameFile >= 0 ? sameFile : alike;
        if (j >= 0) {
            match[i] = j;
            taken[static_cast<size_t>(j)] = true;
        }
    }
    return match;
}

OffsetMap MakeOffsetMap(const std::vector<SetMember>& before, const std::vector<SetMember>& after)
{
    OffsetMap map;
    std::vector<int> match = MatchMembers(before, after);
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i].size == 0)
            continue;
        OffsetMap::Piece piece;
        piece.oldStart = before[i].start;
        piece.oldSize = before[i].size;
        if (match[i] >= 0) {
            const SetMember& now = after[static_cast<size_t>(match[i])];
            piece.kept = true;
            piece.newStart = now.start;
            piece.newSize = now.size;
        }
        map.pieces.push_back(piece);
        map.oldTotal = std::max(map.oldTotal, before[i].start + before[i].size);
    }
    for (const SetMember& m : after)
        map.newTotal = std::max(map.newTotal, m.start + m.size);
    return map;
}

int64_t MapOffset(const OffsetMap& map, int64_t offset)
{
    const std::vector<OffsetMap::Piece>& pieces = map.pieces;
    if (pieces.empty())
        return std::min(std::max<int64_t>(offset, 0), map.newTotal);
    // The piece that holds the offset; the old end belongs to the last one.
    size_t i = 0;
    while (i + 1 < pieces.size() && offset >= pieces[i + 1].oldStart)
        ++i;
    const OffsetMap::Piece& p = pieces[i];
    if (p.kept) {
        int64_t into = std::max<int64_t>(offset - p.oldStart, 0);
        return p.newStart + std::min(into, p.newSize);
    }
    for (size_t j = i + 1; j < pieces.size(); ++j)
        if (pieces[j].kept)
            return pieces[j].newStart;
    return map.newTotal;
}
