// A log made of several files, such as a whole rotation (access.log,
// access.log.1, access.log.2.gz ...): the files oldest first, read as the
// concatenation of their texts. Here is what the set decides without
// reading a file: its order, where each file's text begins, which file a
// file became after a rotation, and what an offset into the set before a
// rotation is after it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bytes of a file's text kept to know the file again after a rotation,
// whether it was renamed, compressed or both.
constexpr size_t kHeadBytes = 1024;

struct SetMember {
    std::string path;
    // The number of the rotation in the name (access.log.3.gz: 3), 0 without.
    int rotation = 0;
    // Time of its first request; INT64_MAX when it has none (an empty file).
    int64_t firstTime = INT64_MAX;
    // Bytes of text (uncompressed).
    int64_t size = 0;
    // Where its text begins in the set.
    int64_t start = 0;
    // The file it was when it was read, so that a rename is known at once.
    uint64_t device = 0;
    uint64_t inode = 0;
    // Its first bytes of text, at most kHeadBytes.
    std::string head;
};

// The rotation number in a file name: "access.log.3.gz" gives 3,
// "access.log" and "access.log-20261210" 0.
int RotationNumber(const std::string& path);
// The name of the file without its directory, its compression suffix and
// its rotation number: "/var/log/squid/access.log.3.gz" gives "access.log".
std::string RotationBase(const std::string& path);
// Whether the name ends in the suffix of a compression format.
bool CompressedName(const std::string& path);

// Puts the members oldest first: by their first request's time, a higher
// rotation number first where the times are equal, then by name; and sets
// where each one's text begins. Returns the size of the whole set.
int64_t OrderMembers(std::vector<SetMember>& members);
// The member whose text holds the offset: the last one that begins at or
// before it and is not empty, or the first member for an offset before any
// text. members.size() for an empty list.
size_t MemberAt(const std::vector<SetMember>& members, int64_t offset);

// For each member of before, the index in after of the file it became, or
// -1 when it left the set. A file is known again by its first bytes (the
// ones kept, which a file that grew still begins with); the same file on
// disk is preferred among files that begin alike. Each member of after is
// taken once. An empty file is never known again: it holds no offset.
std::vector<int> MatchMembers(const std::vector<SetMember>& before, const std::vector<SetMember>& after);

// What the offsets into a set before a rotation are after it.
struct OffsetMap {
    struct Piece {
        int64_t oldStart = 0;
        int64_t oldSize = 0;
        int64_t newStart = 0;
        int64_t newSize = 0;
        bool kept = false;
    };
    // The non-empty members of the set before, in their order.
    std::vector<Piece> pieces;
    int64_t oldTotal = 0;
    int64_t newTotal = 0;
};
OffsetMap MakeOffsetMap(const std::vector<SetMember>& before, const std::vector<SetMember>& after);
// An offset inside a file that stayed keeps its place in that file (at most
// its new end); one inside a file that left goes to the start of the next
// file that stayed, or to the end of the set. The end of the old set is the
// end of its last file as it was, so what came after is still ahead.
int64_t MapOffset(const OffsetMap& map, int64_t offset);
