// Every long scan ends with one last look at the keyboard: an 's' typed
// during a scan too short for the step to poll still stops it, and a scan
// that began always ends, so nothing typed during it is left to act later.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "browse/search.h"
#include "frame/message.h"
#include "history/history.h"
#include "report/generate.h"
#include "reportfiles/filter.h"
#include "support/logfixture.h"
#include "support/scanstub.h"
#include "tally/tally.h"

namespace {

class ScanEndTest : public LogFixture {
protected:
    void SetUp() override
    {
        LogFixture::SetUp();
        sStatusMessage.clear();
        // A short log with one hit on its last line.
        Use(Line(1286536308, "ann", 100) + Line(1286536309, "bob", 200) +
            Line(1286536310, "ann", 300, "TCP_MISS/200", "http://a.example.com/needle"));
        sWords = "needle\n";
    }
    void TearDown() override
    {
        RemoveScanStub();
        sWords.clear();
        LogFixture::TearDown();
    }
};

struct ScanCase {
    const char* name;
    // Runs the scan and describes what it left.
    std::function<std::string()> run;
    std::string ended;    // without an 's'
    std::string stopped;  // with an 's' found at the end
};

TEST_F(ScanEndTest, AnSTypedDuringAShortScanStopsItAtItsEnd)
{
    const ScanCase cases[] = {
        {"search down",
         [] {
             iCursorOffset = 0;
             SearchHits(+1);
             return "row " + std::to_string(iCursorRow);
         },
         "row 2", "row 0"},
        {"report run",
         [] {
             GenerateReport report;
             report.Run();
             return sStatusMessage.substr(0, 16);
         },
         "Press 'n' for mi", "Report canceled."},
        {"tally gathering",
         [] {
             TallyMode tally;
             iTallyMonitor = true;
             tally.Gather(0, iLastLineStart + 1);
             return std::to_string(tally.iCount) + (iTallyMonitor ? " mon" : " off");
         },
         "2 mon", "2 off"},
        {"history finds the first line and keeps it",
         [] {
             UserHistory history;
             history.Start("ann", 24);
             return std::to_string(history.vOffsets.size()) + " " + std::to_string(history.ScanBack());
         },
         "2 0", "2 0"},
        {"filtered report",
         [] {
             WriteWholeFile(sPrivateDir + "/src.txt", "For Tue Oct  5 14:03 2010\n\n"
                                                      "                          Tue Oct  5 14:03 2010\n"
                                                      "      1,234 ann      w H  host7/index.html\n");
             bool stopped = false;
             bool made = FilterReport("src.txt", "out.txt", "ann", &stopped);
             return std::string(made ? "made" : "not made") + (stopped ? " stopped " : " ") + sStatusMessage;
         },
         "made ", "not made stopped Filter canceled."},
    };
    for (bool typed : {false, true}) {
        for (const ScanCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (typed ? ", 's' typed" : ""));
            if (typed)
                InstallStopAtEnd();
            else
                InstallStopAfter(0);
            sStatusMessage.clear();
            SwitchLog(1);
            EXPECT_EQ(c.run(), typed ? c.stopped : c.ended);
            EXPECT_GT(ScanBeginsSeen(), 0);
            EXPECT_EQ(ScanEndsSeen(), ScanBeginsSeen());
        }
    }
}

} // namespace
