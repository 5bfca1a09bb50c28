// A temporary home whose log slot 1 leads to a log file the test writes,
// with the current log switched to it, for unit tests of the long scans.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "../entries/temphome.h"
#include "browse/logreader.h"
#include "entries/words.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

class LogFixture : public ::testing::Test {
protected:
    TempHome* home = nullptr;
    std::string logFile;

    void SetUp() override
    {
        ResetSettings();
        sWords.clear();
        iMonitorMode = 0;
        iPageRows = 10;
        CloseLog();
        home = new TempHome();
        logFile = sPrivateDir + "/../access.log";
        ASSERT_EQ(symlink(logFile.c_str(), sLogPath1.c_str()), 0);
        Use("");
    }

    void TearDown() override
    {
        CloseLog();
        delete home;
    }

    // Replaces the log's bytes (same file) and makes slot 1 current.
    void Use(const std::string& bytes)
    {
        Write(bytes);
        SwitchLog(1);
    }

    void Write(const std::string& bytes, std::ios::openmode mode = std::ios::trunc)
    {
        std::ofstream out(logFile, std::ios::binary | mode);
        out << bytes;
    }

    void Append(const std::string& bytes) { Write(bytes, std::ios::app); }

    // One request in the native layout: time, elapsed, client, result,
    // size, method, URL, user, hierarchy, type.
    static std::string Line(int64_t time, const std::string& user, int64_t bytes,
                            const std::string& result = "TCP_MISS/200",
                            const std::string& url = "http://a.example.com/x.html")
    {
        return std::to_string(time) + ".123     5 10.0.0.1 " + result + " " + std::to_string(bytes) + " GET " +
               url + " " + user + " DIRECT/10.1.1.1 text/html\n";
    }
};
