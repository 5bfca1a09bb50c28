// One user's history: the requests of a single user, found by scanning the
// log backwards and forwards from what is already listed. The list holds at
// most kHistoryMax offsets and slides over the log as a window.
// Curses-free; the screen (Run) lives in historyscreen.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "browse/loglist.h"

// Entries a history holds at most.
constexpr int kHistoryMax = 200;
// Non-matching lines one scan call passes before it gives up (then one more
// non-matching line ends it).
constexpr int kHistoryGiveUp = 1000;

// The list page (iTop, iCursor, iRows, iCount, iSelected, iMaxTop) and
// iSizeSeen come from LogList.
class UserHistory : public LogList {
public:
    // A history follows the log's text while it lives (a set of files found
    // again after a rotation keeps its entries).
    UserHistory();
    ~UserHistory();
    UserHistory(const UserHistory&) = delete;
    // Takes over the other's entries; this one goes on following for itself.
    UserHistory& operator=(const UserHistory&) = default;

    std::string sUser;             // compared exactly with GetUser(line, false)
    std::vector<int64_t> vOffsets; // the user's lines, oldest first
    int64_t iBackAt = 0;   // -1 not started, 0 start reached, else last examined
    int64_t iForwardAt = 0; // next line to examine going forwards

    // Sets the user and fills the list backwards from the end of the log
    // for at most iRows found lines or about two seconds.
    void Start(const std::string& user, int screenLines);
    // Re-measures the log (a smaller or replaced log empties the history)
    // and recomputes the paging fields for a screen of screenLines lines.
    void Refresh(int screenLines);
    // The next older line of the user: 1 found and put in front, 0 start of
    // the log reached, -1 gave up after kHistoryGiveUp + 1 other lines,
    // -2 stopped by the scan step ('s').
    int ScanBack();
    // The next newer line: 1 found and appended, 0 end of the log reached or
    // found while the list was full (the oldest entry dropped), -1, -2 as
    // for ScanBack.
    int ScanForward();
    // Moves the selection; moving past either end scans for one more line.
    void Move(eMove move);
    // Empties the list; it is rebuilt forwards from the start of the log.
    void Wipe();

    // The title row and the iRows list rows, each exactly cols - 1 wide;
    // the time stamp of the selected entry lands in selectedTime (0 when
    // none).
    std::vector<std::string> ScreenRows(int cols, int64_t& selectedTime);
    // The status line: both scan positions, the place of the selection and
    // the time of the selected request.
    std::string StatusText(int cols, int64_t selectedTime) const;

    // The help screen, from the key table (history/historykeys.h).
    static std::string HelpText();

    // The screen (historyscreen.cpp). True when the user asked to quit.
    bool Run(const std::string& user);

private:
    std::string ScanLabel() const;
    bool IsUsersLine();
    void Reset();

    std::string userScratch;
    // The key of this object's follower, never copied with the entries.
    struct FollowKey {
        int key = 0;
        FollowKey() = default;
        FollowKey(const FollowKey&) {}
        FollowKey& operator=(const FollowKey&) { return *this; }
    };
    FollowKey following;
};
