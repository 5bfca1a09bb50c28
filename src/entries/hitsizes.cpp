#include "entries/hitsizes.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "entries/fields.h"
#include "entries/texts.h"
#include "entries/words.h"
#include "frame/numbers.h"
#include "frame/settings.h"

namespace {

std::string JoinSizes(const std::vector<int64_t>& sizes)
{
    std::string out;
    for (int64_t v : sizes) {
        if (!out.empty())
            out += ' ';
        out += NumToStr(static_cast<uint64_t>(v));
    }
    return out;
}

// Numbers the screen shows are never negative; a negative value read from
// the configuration file is shown as 0 rather than as a huge number.
uint64_t Shown(int64_t v) { return v < 0 ? 0 : static_cast<uint64_t>(v); }

} // namespace

std::string HitSizesText()
{
    std::string text = "Hit sizes are:-\n\n0: <off>\n";
    std::vector<int64_t> sizes = ParseHitSizes(sSizeHits);
    for (size_t k = 0; k < sizes.size(); ++k)
        text += NumToStr(k + 1) + ": " + NumToCommaStr(Shown(sizes[k])) + "\n";
    if (iSizeHitGrade != 0) {
        std::string grade = iSizeHitGrade < 0 ? "-" + NumToStr(Shown(-int64_t{iSizeHitGrade}))
                                              : NumToStr(Shown(iSizeHitGrade));
        text += "\nCurrent hit grade is " + grade + ": " + NumToCommaStr(Shown(iSizeHitBytes)) +
                " bytes\n";
    } else {
        text += "\nNo hit size set.\n";
    }
    text += "\n-1 to -9 deletes entry, 0 to 9 sets grade.\nA large number inserts a new grade.\n"
            "Enter nothing to dismiss.\n\nEnter choice: ";
    return text;
}

bool InsertHitSize(int64_t n)
{
    std::vector<int64_t> sizes = ParseHitSizes(sSizeHits);
    if (sizes.size() >= static_cast<size_t>(kMaxHitSizes))
        return false;
    std::vector<int64_t> out;
    bool pending = true;
    for (size_t i = 0; i < sizes.size(); ++i) {
        int64_t v = sizes[i];
        if (v == n)
            pending = false;
        if (pending && n < v) {
            out.push_back(n);
            pending = false;
            // The new entry becomes the chosen grade.
            iSizeHitGrade = static_cast<int>(out.size());
            iSizeHitBytes = static_cast<int>(n);
        }
        out.push_back(v);
    }
    if (pending)
        out.push_back(n);
    sSizeHits = JoinSizes(out);
    return true;
}

void DeleteHitSize(int k)
{
    std::vector<int64_t> sizes = ParseHitSizes(sSizeHits);
    std::vector<int64_t> out;
    for (size_t i = 0; i < sizes.size(); ++i)
        if (static_cast<int64_t>(i) + 1 != k)
            out.push_back(sizes[i]);
    sSizeHits = JoinSizes(out);
    iSizeHitGrade = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] == iSizeHitBytes) {
            iSizeHitGrade = static_cast<int>(i) + 1;
            return;
        }
    }
    iSizeHitBytes = 0;
}

eHitSizesResult HitSizesCommand(const std::string& line)
{
    if (line.empty())
        return eHitSizesLeave;
    int n = LeadingInt(line);
    if (n >= 10)
        return InsertHitSize(n) ? eHitSizesRedraw : eHitSizesNoRoom;
    if (n < 0) {
        // -INT_MIN does not fit an int; no list has that many entries anyway.
        DeleteHitSize(n == INT_MIN ? INT_MAX : -n);
    } else if (n == 0) {
        if (line == "0") {
            iSizeHitGrade = 0;
            iSizeHitBytes = 0;
        }
    } else {
        std::vector<int64_t> sizes = ParseHitSizes(sSizeHits);
        if (static_cast<size_t>(n) <= sizes.size()) {
            iSizeHitGrade = n;
            iSizeHitBytes = static_cast<int>(sizes[n - 1] > INT_MAX ? INT_MAX : sizes[n - 1]);
        }
    }
    return eHitSizesRedraw;
}
