#include "frame/settings.h"

std::string sRepFileName;
std::string sRepFilter;
std::string sRepTitle;
bool bRepKeepExt;
int iRepColumns;
bool bRepSplit;
bool bRepShowSize;
bool bRepCacheReport;
std::string sRepSeperator;
int iRepCSVcols;
int iRepWordHits;
int iRepBUT;
int iRepBDT;
int iRepBDI;
int iRepFocus;
std::string sRepFocus;
std::string sRepBDTuser;
std::string sViewer;
std::string sCurrentReport;
std::string sCurrentEmail;
int iSizeHitGrade;
int iSizeHitBytes;
std::string sSizeHits;
int iCurrentLog;
int iMonitorMode;
bool bLookupIP;
bool bAliases;
int iUserNameLen;
int iRepFast;
bool bRepMySort;
int iTallyHP;
float iTallyFade;
float iTallyEntry;
bool iTallyMonitor;
bool iTallyDenies;

const char* const sReportExtension = ".txt";
std::string sDebugText;
int iFaultCode = 0;

void ResetSettings()
{
    sRepFileName = "temp.txt";
    sRepFilter.clear();
    sRepTitle.clear();
    bRepKeepExt = true;
    iRepColumns = 80;
    bRepSplit = false;
    bRepShowSize = false;
    bRepCacheReport = true;
    sRepSeperator = "|";
    iRepCSVcols = 100;
    iRepWordHits = 1;
    iRepBUT = 1;
    iRepBDT = 1;
    iRepBDI = 0;
    iRepFocus = 0;
    sRepFocus.clear();
    sRepBDTuser.clear();
    sViewer = "less";
    sCurrentReport.clear();
    sCurrentEmail.clear();
    iSizeHitGrade = 0;
    iSizeHitBytes = 0;
    sSizeHits = "50000 250000 1000000 10000000";
    iCurrentLog = 1;
    iMonitorMode = 1;
    bLookupIP = true;
    bAliases = false;
    iUserNameLen = 8;
    iRepFast = 10000;
    bRepMySort = true;
    iTallyHP = 3600;
    iTallyFade = 0.75f;
    iTallyEntry = 1.0f;
    iTallyMonitor = true;
    iTallyDenies = true;
}

namespace {
// Settings hold their defaults from the very start of the process.
[[maybe_unused]] const bool bDefaultsAtStart = [] {
    ResetSettings();
    return true;
}();
}
