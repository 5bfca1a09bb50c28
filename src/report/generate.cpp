#include "report/generate.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

#include "browse/logreader.h"
#include "entries/aliases.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "entries/words.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"
#include "frame/scan.h"
#include "frame/settings.h"
#include "report/output.h"
#include "report/range.h"

namespace {

// Lines between two refreshes of the progress label; the label is only
// drawn about once a second, so it need not be built for every line.
constexpr int64_t kLabelStride = 256;

} // namespace

void AddBytes(int64_t& sum, int64_t bytes)
{
    sum = (bytes > 0 && sum > INT64_MAX - bytes) ? INT64_MAX : sum + bytes;
}

void GenerateReport::ClearTotals()
{
    vUserNames.clear();
    vDomainNames.clear();
    vUserTotals.clear();
    vDomainTotals.clear();
    vUserCounts.Clear();
    vDomainCounts.Clear();
}

void GenerateReport::AddUserTotal(std::string_view name)
{
    vUserCounts.Add(name, iLineBytes);
}

void GenerateReport::AddDomainTotal(std::string_view name)
{
    vDomainCounts.Add(name, iLineBytes);
}

void GenerateReport::SortTotalsByCount()
{
    vUserCounts.SortByCount();
    vDomainCounts.SortByCount();
}

void GenerateReport::CollectTotals()
{
    std::vector<std::string_view> names;
    vUserCounts.Collect(vUserTotals, names);
    vUserNames.clear();
    vUserNames.reserve(names.size());
    for (std::string_view name : names)
        vUserNames.push_back(UserName{std::string(name), std::string()});
    vDomainCounts.Collect(vDomainTotals, vDomainNames);
}

void GenerateReport::CountLine(const LineFields& fields)
{
    if (sMarks.size() != 4)
        sMarks.assign(4, ' ');
    MatchWords(fields, &sMarks[0], iLineBytes);
    // A negative size is garbage, not a refund: it must not lower any total.
    if (iLineBytes < 0)
        iLineBytes = 0;
    // Denied requests count nowhere. Only the class mark says so: with
    // more than fifty hit sizes the size grade can be a 'd' too.
    if (sMarks[2] == 'd')
        return;
    if (pPage != nullptr)
        pPage->pCount(*this, fields);
    AddBytes(iScannedBytes, iLineBytes);
    ++iRequests;
    if (FieldOf(fields, iUserField) == "-")
        AddBytes(iDashBytes, iLineBytes);
    if (IsHit(sMarks)) {
        ++iHits;
        AddBytes(iHitBytes, iLineBytes);
        if (bToFile && (iRepWordHits == 1 || iRepWordHits == 2)) {
            if (pPage != nullptr)
                pPage->pHit(*this, fields);
            else if (iRepWordHits == 1)
                WriteTextHit(fields);
            else
                WriteCsvHit(fields);
            bMadeContent = true;
        }
    }
    bool notSkipped = sMarks[0] != '-';
    bool haveUser = false;
    std::string_view user;
    if ((iRepBUT == 2 || (iRepBUT == 1 && notSkipped)) && iLineBytes != 0) {
        AddBytes(iUsersBytes, iLineBytes);
        user = UserView(fields, sLineUser);
        haveUser = true;
        if (!user.empty())
            AddUserTotal(user);
    }
    bool forDomains = iRepBDT == 1;
    if (iRepBDT >= 2) {
        if (!haveUser)
            user = UserView(fields, sLineUser);
        forDomains = user == sRepBDTuser;
    }
    if (iRepBDI == 0 && !notSkipped)
        forDomains = false;
    if (forDomains && iLineBytes != 0) {
        AddBytes(iDomainsBytes, iLineBytes);
        AddDomainTotal(SiteOfUrl(FieldOf(fields, iUrlField)));
    }
    if (sMarks[2] >= 'A' && sMarks[2] <= 'Z') {
        ++iCacheRequests;
        AddBytes(iCacheBytes, iLineBytes);
    }
}

bool GenerateReport::OpenReportFile()
{
    if (pGivenFile != nullptr) {
        pReportFile = pGivenFile;
        return true;
    }
    // The report lives in the private directory: a name from the
    // configuration file must not lead anywhere else.
    if (sRepFileName.find('/') != std::string::npos || sRepFileName == "." || sRepFileName == "..")
        return false;
    int fd = OpenReportWrite(sPrivateDir + "/" + sRepFileName);
    if (fd < 0)
        return false;
    pReportFile = fdopen(fd, "w");
    if (pReportFile == nullptr) {
        close(fd);
        return false;
    }
    return true;
}

bool GenerateReport::CloseReportFile()
{
    if (pReportFile == nullptr)
        return true;
    if (pReportFile == pGivenFile) {
        pReportFile = nullptr;
        if (fflush(pGivenFile) == 0 && ferror(pGivenFile) == 0)
            return true;
        if (iWriteError == 0)
            iWriteError = errno != 0 ? errno : EIO;
        return false;
    }
    bool ok = fclose(pReportFile) == 0;
    if (!ok && iWriteError == 0)
        iWriteError = errno;
    pReportFile = nullptr;
    return ok;
}

void GenerateReport::ResetCounters()
{
    iScannedBytes = iRequests = iHits = iHitBytes = iDashBytes = 0;
    iUsersBytes = iDomainsBytes = iCacheRequests = iCacheBytes = 0;
    iLineCount = 1;
    iLineBytes = 0;
}

void GenerateReport::ShowStatus(const std::string& text)
{
    if (pStatusHook != nullptr)
        pStatusHook(text);
}

void GenerateReport::WriteStart()
{
    std::string start = LogTimeTextAt(iRepStart);
    std::string end = LogTimeTextAt(iRepFinish != 0 ? iRepFinish : iEndTop);
    if (pPage != nullptr) {
        pPage->pBegin(*this, start, end);
    } else {
        if (!sRepTitle.empty())
            Emit(sRepTitle + "\n\n");
        Emit(RangeHeaderText(start, end));
    }
    if (iRepFinish != 0 && iRepStart >= iRepFinish)
        throw eEnded;
}

void GenerateReport::ScanRange()
{
    int64_t whole = (iRepFinish != 0 ? iRepFinish : iEndTop) - iRepStart;
    int64_t pos = iRepStart;
    LineFields fields;
    for (;;) {
        int64_t next = NextLine(pos);
        if (next == 0 || next == pos)
            throw eEnded;
        if (!IsBlank(sCurrentLine)) {
            SplitLine(sCurrentLine, fields);
            CountLine(fields);
        }
        if (iRepFinish != 0 && next >= iRepFinish)
            throw eEnded;
        if (iRepFast != 0 && iLineCount % iRepFast == 0)
            SortTotalsByCount();
        ++iLineCount;
        if (sProgress.empty() || iLineCount % kLabelStride == 0)
            sProgress = "complete: " + NumToCommaStr(static_cast<uint64_t>(iScannedBytes)) + " bytes, " +
                        NumToCommaStr(static_cast<uint64_t>(iHits)) + " hits";
        if (ScanStep(sProgress.c_str(), next - iRepStart, whole))
            throw eCanceled;
        pos = next;
    }
}

void GenerateReport::PrepareUserTotals()
{
    ShowStatus("Sorting users' totals...");
    SortTotals(vUserTotals, eSortByBytes);
    ShowStatus("Finding full user names...");
    FindFullNames();
    ShowStatus("Done finding full user names.");
}

void GenerateReport::PrepareDomainTotals()
{
    ShowStatus("Sorting destination domain totals...");
    SortTotals(vDomainTotals, eSortByBytes);
    ShowStatus("Done sorting domain totals.");
}

void GenerateReport::WriteTotalLines(const std::vector<TotalEntry>& totals, bool users)
{
    // Written in pieces of many lines: one write per line would cost more
    // than the line with a million domains.
    constexpr size_t kPiece = 64 * 1024;
    std::string piece;
    for (size_t k = 0; k < totals.size(); ++k) {
        const TotalEntry& entry = totals[k];
        size_t i = static_cast<size_t>(entry.iNameIndex);
        // The names lie in the order they were met, the lines go by bytes:
        // ask for the names of lines further on before they are needed.
        if (!users && k + 32 < totals.size())
            __builtin_prefetch(&vDomainNames[static_cast<size_t>(totals[k + 32].iNameIndex)]);
        if (!users && k + 16 < totals.size())
            __builtin_prefetch(vDomainNames[static_cast<size_t>(totals[k + 16].iNameIndex)].data());
        if (users)
            AppendTotalLine(piece, entry.iBytes, vUserNames[i].sName, vUserNames[i].sFullName);
        else
            AppendTotalLine(piece, entry.iBytes, vDomainNames[i], std::string_view());
        if (piece.size() >= kPiece) {
            Emit(piece);
            piece.clear();
        }
    }
    if (!totals.empty())
        bMadeContent = true;
    if (!piece.empty())
        Emit(piece);
}

void GenerateReport::WriteUserTotals()
{
    PrepareUserTotals();
    Emit(UsersHeaderText(iUsersBytes));
    WriteTotalLines(vUserTotals, true);
}

void GenerateReport::WriteDomainTotals()
{
    PrepareDomainTotals();
    std::string fullName = iRepBDT >= 2 ? FullNameOf(sRepBDTuser) : std::string();
    Emit(DomainsHeaderText(iDomainsBytes, fullName));
    WriteTotalLines(vDomainTotals, false);
}

void GenerateReport::WriteSections()
{
    CollectTotals();
    if (pPage != nullptr) {
        // The same sections, counted as content the same way, laid out by
        // the page.
        if (bRepCacheReport)
            bMadeContent = true;
        if (iRepBUT != 0)
            PrepareUserTotals();
        if (iRepBDT != 0)
            PrepareDomainTotals();
        if ((iRepBUT != 0 && !vUserTotals.empty()) || (iRepBDT != 0 && !vDomainTotals.empty()))
            bMadeContent = true;
        pPage->pEnd(*this);
        return;
    }
    Emit(SummaryText(iScannedBytes, iHits, iHitBytes));
    Emit(DashUserText(iDashBytes));
    if (bRepCacheReport) {
        bMadeContent = true;
        Emit(CacheSectionText(iCacheRequests, iRequests, iCacheBytes, iScannedBytes));
    }
    if (iRepBUT != 0)
        WriteUserTotals();
    if (iRepBDT != 0)
        WriteDomainTotals();
}

void GenerateReport::FindFullNames()
{
    ForEachUsersLine([this](std::string_view name, std::string_view fullName) {
        int32_t found = vUserCounts.Find(name);
        if (found >= 0)
            vUserNames[static_cast<size_t>(found)].sFullName.assign(fullName);
    });
}

GenerateReport::eRunEnd GenerateReport::Finish(int reason, int64_t startTime)
{
    ClearTotals();
    // Bytes still buffered are written by the close: its failure is a
    // failed write, never a finished report.
    if (bToFile && !CloseReportFile() && reason == eEnded)
        reason = eWriteFailed;
    int64_t seconds = static_cast<int64_t>(time(nullptr)) - startTime;
    if (reason == eCanceled) {
        sStatusMessage = "Report canceled.";
        return eRunCanceled;
    }
    if (reason == eWriteFailed) {
        sStatusMessage = "Could not append to " + sRepFileName;
        return eRunWriteFailed;
    }
    sSummary = NumToCommaStr(static_cast<uint64_t>(iScannedBytes)) + " scanned bytes, " +
               NumToCommaStr(static_cast<uint64_t>(iHits)) + " hits - " +
               NumToStr(static_cast<uint64_t>(seconds)) + " seconds";
    if (bToFile && bMadeContent) {
        // A report written elsewhere is not one of the private directory's.
        if (pGivenFile == nullptr) {
            sCurrentReport = sRepFileName;
            bOfferView = true;
        }
        sStatusMessage = AfterViewText(sRepFileName);
    } else if (bToFile) {
        sStatusMessage = "No report: " + sSummary + ".";
    } else {
        sStatusMessage = "Summary: " + sSummary + ".";
    }
    return eRunDone;
}

GenerateReport::eRunEnd GenerateReport::Run()
{
    bToFile = pGivenFile != nullptr || !sRepFileName.empty();
    sIndent.clear();
    iLastMinute = -1;
    bOfferView = false;
    iWriteError = 0;
    sSummary.clear();
    sProgress.clear();
    if (bToFile && !OpenReportFile()) {
        sStatusMessage = "Could not write to " + sRepFileName;
        return eRunNotOpened;
    }
    ClearTotals();
    ResetCounters();
    // A report covers the whole log: a compressed one whose first reading
    // was stopped is read on first.
    if (!LogIsWhole())
        CompleteLog();
    BeginScan();
    bMadeContent = false;
    int64_t startTime = static_cast<int64_t>(time(nullptr));
    bEcho = true;
    int reason = eEnded;
    try {
        WriteStart();
        ScanRange();
    } catch (eDone done) {
        reason = done;
    }
    // An 's' typed during a run too short to poll cancels it as well.
    if (EndScan() && reason == eEnded)
        reason = eCanceled;
    bEcho = false;
    if (pClearHook != nullptr)
        pClearHook();
    if (reason == eEnded) {
        try {
            WriteSections();
        } catch (eDone done) {
            reason = done;
        }
    }
    return Finish(reason, startTime);
}
