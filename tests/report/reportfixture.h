// A temporary home whose log1 is a log the test writes, UTC times, and a
// report object, for the report unit tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "../entries/temphome.h"
#include "browse/logreader.h"
#include "frame/message.h"
#include "entries/words.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "report/generate.h"
#include "report/range.h"
#include "support/scanstub.h"

// A line in the proxy's native layout.
inline std::string LogLine(long long time, const std::string& client, const std::string& result,
                           const std::string& bytes, const std::string& url, const std::string& user)
{
    return std::to_string(time) + ".123    245 " + client + " " + result + " " + bytes + " GET " + url + " " +
           user + " DIRECT/10.1.1.1 text/html\n";
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tz = getenv("TZ");
        hadTz = tz != nullptr;
        savedTz = hadTz ? tz : "";
        setenv("TZ", "UTC", 1);
        tzset();
        ResetSettings();
        iMonitorMode = 0;
        iPageRows = 23;
        sWords.clear();
        iRepStart = iRepFinish = 0;
        sStatusMessage.clear();
        logFile = sHomeDir + "/access.log";
        ASSERT_EQ(symlink(logFile.c_str(), sLogPath1.c_str()), 0);
        CloseLog();
        InstallStopAfter(0);
    }
    void TearDown() override
    {
        RemoveScanStub();
        CloseLog();
        ResetSettings();
        sWords.clear();
        if (hadTz)
            setenv("TZ", savedTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    void UseLog(const std::string& bytes)
    {
        ASSERT_TRUE(TempHome::Write(logFile, bytes));
        SwitchLog(1);
    }
    std::string ReportFile() const { return TempHome::Read(sPrivateDir + "/" + sRepFileName); }
    std::string RunReport()
    {
        report.Run();
        return ReportFile();
    }

    TempHome home;
    std::string logFile;
    GenerateReport report;

private:
    bool hadTz = false;
    std::string savedTz;
};
