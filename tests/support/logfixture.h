// The small-log fixture for the long scans of the tally and the history:
// no search words, and log lines in the native layout built from their
// values.
#pragma once

#include <cstdint>
#include <string>

#include "entries/words.h"
#include "smalllog.h"

class LogFixture : public SmallLogTest {
protected:
    void SetUp() override
    {
        SmallLogTest::SetUp();
        sWords.clear();
        Use("");
    }

    // Replaces the log's bytes in the same file, leaving the view alone.
    void Rewrite(const std::string& bytes) { Write(logFile, bytes); }

    void Append(const std::string& bytes) { WriteWholeFile(logFile, bytes, true); }

    // One request: time, elapsed, client, result, size, method, URL, user,
    // hierarchy, type.
    static std::string Line(int64_t time, const std::string& user, int64_t bytes,
                            const std::string& result = "TCP_MISS/200",
                            const std::string& url = "http://a.example.com/x.html")
    {
        return std::to_string(time) + ".123     5 10.0.0.1 " + result + " " + std::to_string(bytes) + " GET " +
               url + " " + user + " DIRECT/10.1.1.1 text/html\n";
    }
};
