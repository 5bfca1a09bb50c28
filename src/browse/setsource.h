// A rotation set read as one log: a source made of the sources of its
// files (plain or compressed), oldest first, with offsets into the
// concatenation of their texts. When the files rotate it finds them again
// by their first bytes and tells the reader where the old offsets went.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "browse/logset.h"
#include "browse/logsource.h"

// How the set opens the source of one of its files.
using FileSourceOpener = std::unique_ptr<LogSource> (*)(const std::string& path);

// Sources a set keeps open at once; the others are opened again when read.
// A scan reads one file after the other and a step across a boundary two,
// while each compressed file's source holds some megabytes of cache.
constexpr size_t kSetOpenSources = 3;

class SetSource : public LogSource {
public:
    // The rotation files in a directory: those whose first line reads as a
    // request, and empty ones named like them (the live log just after a
    // rotation). The directory is listed again when it changes.
    static std::unique_ptr<SetSource> OfDirectory(const std::string& dir, FileSourceOpener open);
    // The files named, as they are at those paths now and later.
    static std::unique_ptr<SetSource> OfFiles(const std::vector<std::string>& files, FileSourceOpener open);

    ~SetSource() override;
    SetSource(const SetSource&) = delete;
    SetSource& operator=(const SetSource&) = delete;

    int64_t ReadAt(int64_t offset, char* buf, int64_t n) override;
    int64_t Size() const override;
    LogStamp Look() const override;
    bool Take(const LogStamp& now) override;
    std::string TakeMessage() override;
    OffsetMove TakeOffsetMove() override;

    // The files of the set, oldest first.
    const std::vector<SetMember>& Members() const { return members_; }

private:
    SetSource(std::string dir, std::vector<std::string> files, FileSourceOpener open);
    struct Held {
        LogStamp stamp;
        std::unique_ptr<LogSource> source;
        uint64_t used = 0;
    };
    // What a look at one file finds.
    struct Examined {
        SetMember member;
        LogStamp stamp;
        bool readable = false;
        bool log = false;          // its first line reads as a request
        bool otherFormat = false;  // compressed in a format not read in place
        std::unique_ptr<LogSource> source;
        std::string note; // what its source has to say
    };
    std::vector<std::string> Candidates() const;
    Examined Examine(const std::string& path, const LogStamp& stamp);
    void Resolve();
    LogSource& SourceOf(size_t i);
    void LeaveOut(const Examined& e);

    std::string dir_;
    std::vector<std::string> files_;
    FileSourceOpener open_;
    uint64_t identity_ = 1;
    std::vector<SetMember> members_;
    std::vector<Held> held_;
    int64_t size_ = 0;
    LogStamp taken_;
    uint64_t clock_ = 0;
    std::string message_;
    std::vector<std::string> told_;
    bool moved_ = false;
    OffsetMap move_;
};

// Names a list of files: a log path equal to name opens as the set of
// those files (the command line's several logs).
void NameFileSet(const std::string& name, const std::vector<std::string>& files);
// The files named so, or null.
const std::vector<std::string>* FileSetNamed(const std::string& name);
