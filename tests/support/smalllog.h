// A fixture for tests of the log reader and what steps through it: a
// temporary home whose private directory's log1 leads to a file the test
// writes (log2 leads to log1, log3 to nothing), five log rows on the screen.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "browse/logreader.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "support/tempdir.h"

class SmallLogTest : public ::testing::Test {
protected:
    std::string home;
    std::string logFile;

    void SetUp() override
    {
        home = MakeScratchDir("ferntrack-smalllog");
        SetPaths(home);
        ResetSettings();
        iMonitorMode = 0;
        iPageRows = 5;
        ASSERT_EQ(mkdir(sPrivateDir.c_str(), 0755), 0);
        logFile = home + "/access.log";
        ASSERT_EQ(symlink(logFile.c_str(), sLogPath1.c_str()), 0);
        ASSERT_EQ(symlink("log1", sLogPath2.c_str()), 0);
        CloseLog();
    }

    void TearDown() override
    {
        CloseLog();
        RemoveScratchDir(home);
    }

    static void Write(const std::string& path, const std::string& bytes) { WriteWholeFile(path, bytes); }

    // Writes the log and makes slot 1 current: the view is on the first line.
    void Use(const std::string& bytes)
    {
        Write(logFile, bytes);
        SwitchLog(1);
    }

    // Offset of the selected line, as the browse window's draw finds it.
    static int64_t SelectedOffset()
    {
        int64_t a = iTopOffset;
        for (int row = 0; row < iCursorRow; ++row) {
            int64_t next = NextLine(a);
            if (next <= a)
                break;
            a = next;
        }
        return a;
    }
};
