#include "browse/logset.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEST(LogSet, NamesTellRotationAndBase)
{
    struct Case {
        std::string path;
        int rotation;
        std::string base;
        bool compressed;
    };
    const Case cases[] = {
        {"/var/log/squid/access.log", 0, "access.log", false},
        {"/var/log/squid/access.log.1", 1, "access.log", false},
        {"access.log.12.gz", 12, "access.log", true},
        {"access.log.0", 0, "access.log", false},
        {"access.log.3.bz2", 3, "access.log", true},
        {"access.log-20261210", 0, "access.log-20261210", false},
        {"access.log.20261210", 0, "access.log.20261210", false},
        {"access.log.gz", 0, "access.log", true},
        {"dir.1/access", 0, "access", false},
        {".7", 0, ".7", false},
        {"access.log.", 0, "access.log.", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RotationNumber(c.path), c.rotation) << c.path;
        EXPECT_EQ(RotationBase(c.path), c.base) << c.path;
        EXPECT_EQ(CompressedName(c.path), c.compressed) << c.path;
    }
}

SetMember Member(const std::string& path, int64_t firstTime, int64_t size)
{
    SetMember m;
    m.path = path;
    m.rotation = RotationNumber(path);
    m.firstTime = firstTime;
    m.size = size;
    return m;
}

TEST(LogSet, OrderIsOldestFirstThenHigherRotation)
{
    struct Case {
        std::vector<SetMember> members;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {{Member("a.log", 300, 5), Member("a.log.1", 200, 5), Member("a.log.2.gz", 100, 5)},
         {"a.log.2.gz", "a.log.1", "a.log"}},
        // Equal first times: the higher number is older.
        {{Member("a.log.1", 100, 5), Member("a.log.3.gz", 100, 5), Member("a.log.2", 100, 5)},
         {"a.log.3.gz", "a.log.2", "a.log.1"}},
        // Overlapping times keep the order of the first requests.
        {{Member("a.log.1", 150, 5), Member("a.log.2", 160, 5)}, {"a.log.1", "a.log.2"}},
        // An empty file has no first request and goes last (the live log
        // just after a rotation).
        {{Member("a.log", INT64_MAX, 0), Member("a.log.1", 100, 5), Member("a.log.2", 50, 5)},
         {"a.log.2", "a.log.1", "a.log"}},
        {{Member("b", 7, 1), Member("a", 7, 1)}, {"a", "b"}},
    };
    for (const Case& c : cases) {
        std::vector<SetMember> members = c.members;
        int64_t total = OrderMembers(members);
        ASSERT_EQ(members.size(), c.order.size());
        int64_t at = 0;
        for (size_t i = 0; i < members.size(); ++i) {
            EXPECT_EQ(members[i].path, c.order[i]);
            EXPECT_EQ(members[i].start, at);
            at += members[i].size;
        }
        EXPECT_EQ(total, at);
    }
}

TEST(LogSet, MemberAtSkipsEmptyFiles)
{
    std::vector<SetMember> members = {Member("x.3", 1, 0), Member("x.2", 2, 4), Member("x.1", 3, 0),
                                      Member("x", 4, 3)};
    OrderMembers(members);
    // Texts: x.2 holds 0..3, x holds 4..6.
    const size_t expected[] = {1, 1, 1, 1, 3, 3, 3, 3, 3};
    for (int64_t offset = 0; offset < 9; ++offset)
        EXPECT_EQ(MemberAt(members, offset), expected[offset]) << offset;
    EXPECT_EQ(MemberAt(members, -1), 0u);
    EXPECT_EQ(MemberAt({}, 0), 0u);
}

// Files on a disk that logrotate works on: each has a text, a file
// identity, and a number that tells the order of the first requests.
class Disk {
public:
    void Write(const std::string& path, const std::string& text)
    {
        files_[path] = {text, ++nextInode_};
    }
    void Append(const std::string& path, const std::string& text) { files_[path].text += text; }
    void Rename(const std::string& from, const std::string& to)
    {
        files_[to] = files_[from];
        files_.erase(from);
    }
    // Compressing writes a new file and removes the old one.
    void Compress(const std::string& path)
    {
        files_[path + ".gz"] = {files_[path].text, ++nextInode_};
        files_.erase(path);
    }
    void Remove(const std::string& path) { files_.erase(path); }
    bool Has(const std::string& path) const { return files_.count(path) != 0; }

    // The set as the program makes it: a member per file, ordered.
    std::vector<SetMember> Members() const
    {
        std::vector<SetMember> members;
        for (const auto& [path, file] : files_) {
            SetMember m;
            m.path = path;
            m.rotation = RotationNumber(path);
            m.size = static_cast<int64_t>(file.text.size());
            m.head = file.text.substr(0, kHeadBytes);
            m.inode = file.inode;
            // Each text begins with the time of its first request.
            m.firstTime = file.text.empty() ? INT64_MAX : std::stoll(file.text.substr(0, 6));
            members.push_back(m);
        }
        OrderMembers(members);
        return members;
    }
    std::string Text(const std::vector<SetMember>& members) const
    {
        std::string all;
        for (const SetMember& m : members)
            all += files_.at(m.path).text;
        return all;
    }

private:
    struct File {
        std::string text;
        uint64_t inode = 0;
    };
    std::map<std::string, File> files_;
    uint64_t nextInode_ = 0;
};

// Lines from time `from` on, each "<6-digit time> <padding>\n"; long enough
// together that the kept head is only a part of the file.
std::string Lines(int from, int count, size_t width = 60)
{
    std::string text;
    for (int t = from; t < from + count; ++t) {
        std::string line = std::to_string(100000 + t) + " request";
        line.resize(width, '.');
        text += line + "\n";
    }
    return text;
}

// Every step of a rotation, in each order logrotate (or a hand) may take
// them. After each step, every line that is still in the set is found at
// the mapped offset, and the old end maps to the first byte not seen then.
TEST(LogSet, OffsetsFollowTheirLinesThroughEveryRotationOrder)
{
    enum Step { kRename, kCreate, kCompress, kRemoveOldest, kAppendLive, kAppendRenamed };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"RenameCreateCompressRemove", {kRename, kCreate, kAppendLive, kCompress, kRemoveOldest}},
        {"RemoveFirst", {kRemoveOldest, kRename, kCreate, kCompress, kAppendLive}},
        {"CompressBeforeCreate", {kRename, kAppendRenamed, kCompress, kCreate, kRemoveOldest, kAppendLive}},
        {"WritesBetweenEveryStep", {kAppendLive, kRename, kAppendRenamed, kCreate, kAppendLive, kRemoveOldest,
                                    kAppendLive, kCompress, kAppendLive}},
    };
    for (const Case& c : cases) {
        Disk disk;
        disk.Write("access.log.2.gz", Lines(0, 30));
        disk.Write("access.log.1", Lines(100, 30));
        disk.Write("access.log", Lines(200, 5, 20)); // younger than its head
        int next = 205;
        for (Step step : c.steps) {
            std::vector<SetMember> before = disk.Members();
            std::string oldText = disk.Text(before);
            switch (step) {
            case kRename:
                disk.Rename("access.log.1", "access.log.2");
                disk.Rename("access.log", "access.log.1");
                break;
            case kCreate:
                disk.Write("access.log", "");
                break;
            case kCompress:
                if (disk.Has("access.log.2.gz"))
                    disk.Rename("access.log.2.gz", "access.log.3.gz");
                disk.Compress("access.log.2");
                break;
            case kRemoveOldest:
                disk.Remove(disk.Members().front().path);
                break;
            case kAppendLive:
                disk.Append("access.log", Lines(next++, 1, 20));
                break;
            case kAppendRenamed:
                disk.Append("access.log.1", Lines(next++, 1, 20));
                break;
            }
            std::vector<SetMember> after = disk.Members();
            std::string newText = disk.Text(after);
            OffsetMap map = MakeOffsetMap(before, after);
            // Each line of the old set that is still somewhere is found at
            // its mapped place.
            for (size_t at = 0; at < oldText.size(); at = oldText.find('\n', at) + 1) {
                std::string line = oldText.substr(at, oldText.find('\n', at) - at + 1);
                bool kept = newText.find(line) != std::string::npos;
                int64_t mapped = MapOffset(map, static_cast<int64_t>(at));
                if (kept)
                    EXPECT_EQ(newText.substr(static_cast<size_t>(mapped), line.size()), line)
                        << c.name << " step " << step << " line " << line;
                else
                    EXPECT_EQ(newText.substr(static_cast<size_t>(mapped), 6),
                              newText.substr(0, 6)) << c.name << " step " << step;
            }
            // From the mapped old end on stand exactly the lines written since.
            int64_t end = MapOffset(map, static_cast<int64_t>(oldText.size()));
            std::string ahead = newText.substr(static_cast<size_t>(end));
            bool appended = step == kAppendLive || step == kAppendRenamed;
            EXPECT_EQ(ahead, appended ? Lines(next - 1, 1, 20) : "") << c.name << " step " << step;
        }
    }
}

TEST(LogSet, FilesThatBeginAlikeAreToldApartByIdentity)
{
    SetMember a;
    a.path = "a";
    a.head = "same start";
    a.size = 10;
    a.inode = 7;
    SetMember b = a;
    b.path = "b";
    b.inode = 8;
    SetMember c = a;
    c.path = "c";
    c.inode = 9;
    SetMember empty;
    empty.path = "e";
    EXPECT_EQ(MatchMembers({a, empty}, {b, a, empty}), (std::vector<int>{1, -1}));
    EXPECT_EQ(MatchMembers({a, c}, {b, a}), (std::vector<int>{1, 0}));
    SetMember grown = a;
    grown.head = "same start and more";
    grown.inode = 3;
    EXPECT_EQ(MatchMembers({a}, {grown}), (std::vector<int>{0}));
    SetMember other = a;
    other.head = "same stArt";
    EXPECT_EQ(MatchMembers({a}, {other}), (std::vector<int>{-1}));
}

} // namespace
