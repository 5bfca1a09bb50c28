#include "browse/setsource.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "entries/fields.h"
#include "frame/safefile.h"

namespace {

// Bytes read from the start of a file to see whether it is a log.
constexpr int64_t kFirstBytes = 4096;

std::map<std::string, std::vector<std::string>>& NamedSets()
{
    static std::map<std::string, std::vector<std::string>> sets;
    return sets;
}

std::string FileName(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWithGz(const std::string& path)
{
    return path.size() >= 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
}

// Mixes a number into a running hash of the set's state.
uint64_t Mix(uint64_t h, uint64_t v)
{
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
}

LogStamp StatOf(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return LogStamp{};
    return StampOfStat(st);
}

} // namespace

void NameFileSet(const std::string& name, const std::vector<std::string>& files) { NamedSets()[name] = files; }

const std::vector<std::string>* FileSetNamed(const std::string& name)
{
    auto found = NamedSets().find(name);
    return found == NamedSets().end() ? nullptr : &found->second;
}

SetSource::SetSource(std::string dir, std::vector<std::string> files, FileSourceOpener open)
    : dir_(std::move(dir)), files_(std::move(files)), open_(open)
{
    // The set keeps one identity while its files come and go, so that what
    // follows the log by identity sees one log.
    struct stat st;
    const std::string& first = dir_.empty() ? (files_.empty() ? dir_ : files_.front()) : dir_;
    if (!first.empty() && stat(first.c_str(), &st) == 0 && st.st_ino != 0)
        identity_ = static_cast<uint64_t>(st.st_ino);
}

SetSource::~SetSource() { ForgetLogMembers(this); }

std::unique_ptr<SetSource> SetSource::OfDirectory(const std::string& dir, FileSourceOpener open)
{
    std::unique_ptr<SetSource> set(new SetSource(dir, {}, open));
    set->Take(set->Look());
    return set;
}

std::unique_ptr<SetSource> SetSource::OfFiles(const std::vector<std::string>& files, FileSourceOpener open)
{
    std::unique_ptr<SetSource> set(new SetSource("", files, open));
    set->Take(set->Look());
    return set;
}

std::vector<std::string> SetSource::Candidates() const
{
    if (dir_.empty())
        return files_;
    std::vector<std::string> paths;
    DIR* d = opendir(dir_.c_str());
    if (d == nullptr)
        return paths;
    while (struct dirent* e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        paths.push_back(dir_ + (dir_.back() == '/' ? "" : "/") + e->d_name);
    }
    closedir(d);
    std::sort(paths.begin(), paths.end());
    return paths;
}

LogStamp SetSource::Look() const
{
    // The files' own stamps, summed up: any file that grew, was renamed,
    // replaced or removed, and any file added to the directory, changes it.
    LogStamp now;
    now.device = 0;
    now.inode = identity_;
    now.size = 0;
    uint64_t h = 0;
    if (!dir_.empty()) {
        struct stat st;
        if (stat(dir_.c_str(), &st) == 0)
            h = Mix(Mix(h, static_cast<uint64_t>(st.st_mtim.tv_sec)), static_cast<uint64_t>(st.st_mtim.tv_nsec));
    }
    auto add = [&](const std::string& path) {
        LogStamp s = StatOf(path);
        now.size += std::max<int64_t>(s.size, 0);
        h = Mix(Mix(Mix(Mix(h, s.inode), static_cast<uint64_t>(s.size)), static_cast<uint64_t>(s.mtimeSec)),
                static_cast<uint64_t>(s.mtimeNsec));
    };
    if (dir_.empty())
        for (const std::string& path : files_)
            add(path);
    for (const SetMember& m : members_)
        add(m.path);
    now.mtimeSec = static_cast<int64_t>(h >> 1);
    now.mtimeNsec = static_cast<long>(h & 0x3fffffff);
    return now;
}

bool SetSource::Take(const LogStamp& now)
{
    if (now == taken_)
        return true;
    Resolve();
    taken_ = now;
    return true;
}

SetSource::Examined SetSource::Examine(const std::string& path, const LogStamp& stamp)
{
    Examined e;
    e.stamp = stamp;
    e.member.path = path;
    e.member.rotation = RotationNumber(path);
    e.member.device = stamp.device;
    e.member.inode = stamp.inode;
    if (stamp.size < 0)
        return e;
    std::unique_ptr<LogSource> source = open_(path);
    // A compressed file's text is known only as far as it was indexed.
    if (!source->Whole())
        source->Complete();
    std::string first(static_cast<size_t>(kFirstBytes), '\0');
    int64_t got = source->ReadAt(0, first.data(), kFirstBytes);
    if (got < 0)
        return e;
    e.readable = true;
    first.resize(static_cast<size_t>(got));
    // Bytes on disk but no text: compressed in a format the reader refuses
    // (a gzip file of nothing is only an empty log).
    e.otherFormat = got == 0 && stamp.size > 0 && !EndsWithGz(path);
    e.member.size = source->Size();
    e.member.head = first.substr(0, kHeadBytes);
    // The first line that is not blank tells whether the file is a log.
    size_t from = first.find_first_not_of("\r\n");
    std::string line = from == std::string::npos ? std::string() : first.substr(from, first.find('\n', from) - from);
    int p = StampPrefixFields(line.c_str());
    e.log = p >= 0;
    if (e.log)
        e.member.firstTime = TimeOfField(FieldView(line.c_str(), p + 1));
    e.note = source->TakeMessage();
    e.source = std::move(source);
    return e;
}

void SetSource::LeaveOut(const Examined& e)
{
    if (std::find(told_.begin(), told_.end(), e.member.path) != told_.end())
        return;
    told_.push_back(e.member.path);
    const char* why = !e.readable ? "cannot be read" : e.otherFormat ? "compressed, not read in place" : "not a log";
    std::string text = FileName(e.member.path) + " (" + why + ")";
    message_ = message_.rfind("Left out of the set: ", 0) == 0 ? message_ + ", " + text
                                                                 : "Left out of the set: " + text;
}

void SetSource::Resolve()
{
    std::vector<SetMember> before = members_;
    std::vector<Held> oldHeld = std::move(held_);
    held_.clear();
    std::vector<Examined> found;
    size_t examined = 0;
    for (const std::string& path : Candidates()) {
        struct stat st;
        // A file that went (rotated away) is no fault; what is not a file
        // is only worth a word when it was named.
        if (stat(path.c_str(), &st) != 0)
            continue;
        LogStamp stamp = StatOf(path);
        if (stamp.size < 0 && !dir_.empty())
            continue;
        // A file seen before in the same state, wherever it is now, keeps
        // what was read of it and its open source.
        size_t old = before.size();
        for (size_t i = 0; i < before.size() && old == before.size(); ++i)
            if (stamp.inode != 0 && oldHeld[i].stamp == stamp)
                old = i;
        Examined e;
        if (old < before.size()) {
            e.member = before[old];
            e.member.path = path;
            e.member.rotation = RotationNumber(path);
            e.stamp = stamp;
            e.readable = true;
            e.log = e.member.firstTime != INT64_MAX;
            e.source = std::move(oldHeld[old].source);
        } else {
            e = Examine(path, stamp);
            // However many files are looked at, only a few stay open.
            if (++examined > kSetOpenSources)
                e.source.reset();
        }
        found.push_back(std::move(e));
    }
    // Empty files belong to the set when they are named like one of its
    // logs (in a directory); any file named on the command line is meant.
    std::vector<std::string> bases;
    for (const Examined& e : found)
        if (e.log)
            bases.push_back(RotationBase(e.member.path));
    std::vector<SetMember> after;
    std::map<std::string, Held> keep;
    for (Examined& e : found) {
        bool family = std::find(bases.begin(), bases.end(), RotationBase(e.member.path)) != bases.end();
        bool empty = e.readable && e.member.size == 0 && !e.otherFormat;
        if (e.log || (empty && (dir_.empty() || family))) {
            after.push_back(e.member);
            if (!e.note.empty())
                message_ = e.note;
            keep[e.member.path] = Held{e.stamp, std::move(e.source), ++clock_};
        } else if (dir_.empty() || (family && (!e.readable || e.otherFormat))) {
            LeaveOut(e);
        }
    }
    size_ = OrderMembers(after);
    // No report or setting is ever written over a file of the set.
    std::vector<std::pair<uint64_t, uint64_t>> files;
    for (const SetMember& m : after)
        files.emplace_back(m.device, m.inode);
    NoteLogMembers(this, files);
    for (const SetMember& m : after)
        held_.push_back(std::move(keep[m.path]));
    bool same = before.size() == after.size();
    for (size_t i = 0; same && i < after.size(); ++i)
        same = before[i].start == after[i].start && before[i].inode == after[i].inode &&
               before[i].device == after[i].device;
    if (!before.empty() && !same) {
        move_ = MakeOffsetMap(before, after);
        moved_ = true;
    }
    members_ = std::move(after);
}

LogSource& SetSource::SourceOf(size_t i)
{
    Held& h = held_[i];
    h.used = ++clock_;
    if (h.source != nullptr)
        return *h.source;
    size_t open = 0;
    size_t oldest = held_.size();
    for (size_t j = 0; j < held_.size(); ++j) {
        if (held_[j].source == nullptr)
            continue;
        ++open;
        if (oldest == held_.size() || held_[j].used < held_[oldest].used)
            oldest = j;
    }
    if (open >= kSetOpenSources && oldest < held_.size())
        held_[oldest].source.reset();
    h.source = open_(members_[i].path);
    if (!h.source->Whole())
        h.source->Complete();
    h.source->Take(h.source->Look());
    std::string m = h.source->TakeMessage();
    if (!m.empty())
        message_ = m;
    return *h.source;
}

int64_t SetSource::ReadAt(int64_t offset, char* buf, int64_t n)
{
    if (offset < 0)
        return -1;
    if (members_.empty())
        return 0;
    int64_t got = 0;
    for (size_t i = MemberAt(members_, offset); got < n && i < members_.size(); ++i) {
        const SetMember& m = members_[i];
        int64_t into = offset + got - m.start;
        bool last = i + 1 == members_.size();
        // Only the newest file may have grown past what was measured.
        int64_t room = last ? n - got : std::min(n - got, m.size - into);
        if (room <= 0 || into < 0)
            continue;
        int64_t r = SourceOf(i).ReadAt(into, buf + got, room);
        if (r < 0)
            return got > 0 ? got : -1;
        got += r;
        if (r < room)
            break; // a file shorter than measured: the readable text ends here
    }
    return got;
}

int64_t SetSource::Size() const { return size_; }

std::string SetSource::TakeMessage()
{
    std::string m;
    m.swap(message_);
    return m;
}

OffsetMove SetSource::TakeOffsetMove()
{
    if (!moved_)
        return {};
    moved_ = false;
    OffsetMap map = std::move(move_);
    return [map](int64_t offset) { return MapOffset(map, offset); };
}
