// The log as an uncompressed regular file: bytes by positioned reads on a
// descriptor that stays open while the path leads to the same file.
#pragma once

#include "browse/logsource.h"

class PlainSource : public LogSource {
public:
    // Takes over fd (may be -1: a log that cannot be opened reads as empty).
    PlainSource(std::string path, int fd);
    ~PlainSource() override;
    PlainSource(const PlainSource&) = delete;
    PlainSource& operator=(const PlainSource&) = delete;

    int64_t ReadAt(int64_t offset, char* buf, int64_t n) override;
    int64_t Size() const override;
    LogStamp Look() const override;
    bool Take(const LogStamp& now) override;

private:
    std::string path_;
    int fd_ = -1;
    LogStamp held_;
};
