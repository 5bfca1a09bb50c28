#include "frame/config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cfloat>
#include <csignal>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "entries/texts.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"
#include "frame/settings.h"

namespace {

const char* const headerLine = "# this complete file is reset on every clean exit\n";

// Reads an int value the way atoi reads ordinary text (leading white space,
// a sign, digits up to the first other byte, 0 when nothing is readable),
// but takes the number modulo 2^32 instead of leaving overflow undefined.
// That way the 20-digit two's-complement form earlier versions wrote for a
// negative value (18446744073709551611 for -5) reads back as that value.
int ParseIntValue(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsSpaceByte(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint64_t n = 0;
    bool overflow = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (n > (UINT64_MAX - digit) / 10)
            overflow = true;
        else
            n = n * 10 + digit;
    }
    if (overflow)
        n = UINT64_MAX;  // beyond any 64-bit form: saturate, as strtoull does
    else if (negative)
        n = 0 - n;
    uint32_t low = static_cast<uint32_t>(n);
    if (low <= static_cast<uint32_t>(INT32_MAX))
        return static_cast<int>(low);
    return static_cast<int>(static_cast<int64_t>(low) - (int64_t{1} << 32));
}

// atof, then into float range: a value beyond it becomes an infinity
// rather than an undefined conversion.
float ParseFloatValue(const std::string& text)
{
    double d = strtod(text.c_str(), nullptr);
    if (d > FLT_MAX)
        return HUGE_VALF;
    if (d < -FLT_MAX)
        return -HUGE_VALF;
    return static_cast<float>(d);
}

// The plain "%f" form wherever it reads back as the same value (so the
// defaults stay 0.750000 and 1.000000); otherwise as many more decimals as
// it takes, so that a small value such as 0.0000001 is not saved as 0.
std::string FloatText(float value)
{
    // Room for any float in fixed notation: 39 integer digits at most, and
    // the smallest ones need about 50 decimals to read back.
    char buf[160];
    for (int decimals = 6; decimals <= 60; ++decimals) {
        int n = snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(value));
        if (n < 0 || n >= static_cast<int>(sizeof buf))
            return "0.000000";
        if (!std::isfinite(value) || ParseFloatValue(buf) == value)
            break;
    }
    return buf;
}

} // namespace

void ConfigFile::Read()
{
    writing = false;
    failed = false;
    line.clear();
    // Only a regular file, and only its first 16 MB: a link to a FIFO or
    // to /dev/zero must neither hang the start nor eat the memory.
    std::string text;
    if (!ReadSmallFile(sConfigPath, text)) {
        sStatusMessage = "Could not read " + sConfigPath;
        return;
    }
    Feed(text.data(), text.size());
    line.clear();  // a last line without a line end is not used
}

void ConfigFile::ReadText(std::string_view text)
{
    writing = false;
    failed = false;
    line.clear();
    Feed(text.data(), text.size());
    line.clear();
}

void ConfigFile::Feed(const char* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n')
            TakeLine();
        else
            line.push_back(c);
    }
}

void ConfigFile::TakeLine()
{
    if (!line.empty() && line[0] != '#') {
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            key = line;
            value.clear();
        } else {
            key.assign(line, 0, eq);
            value.assign(line, eq + 1, std::string::npos);
        }
        Exchange();
    }
    line.clear();
}

void ConfigFile::Write()
{
    writing = true;
    failed = false;
    notSaved.clear();
    // A link is followed, so a configuration kept elsewhere stays there; a
    // device, a FIFO, a log or a file the user may not write is left alone.
    std::string target = FollowLinks(sConfigPath);
    struct stat old;
    std::string why;
    eWriteTarget kind = CheckWriteTarget(target, &old, &why);
    if (kind == eTargetRefused) {
        NotWritten(why);
        return;
    }
    // A file with several names is rewritten in place, so that every name
    // keeps seeing it; so is one whose directory refuses a new file.
    bool inPlace = kind == eTargetFile && old.st_nlink > 1;
    std::string tempPath;
    int fd = -1;
    if (!inPlace) {
        tempPath = target + ".XXXXXX";
        fd = MakeTempFile(tempPath);
        if (fd < 0 && kind == eTargetAbsent) {
            NotWritten(strerror(errno));
            return;
        }
        inPlace = fd < 0;
    }
    if (inPlace) {
        tempPath.clear();
        fd = OpenRegularWrite(target, O_WRONLY, &why);
        if (fd < 0) {
            NotWritten(why);
            return;
        }
    } else {
        TakeOverFile(fd, kind == eTargetFile ? &old : nullptr);
    }
    file = fdopen(fd, "w");
    if (file == nullptr) {
        close(fd);
        DropTempFile(tempPath);
        NotWritten(strerror(errno));
        return;
    }
    WriteText(headerLine);
    Exchange();
    FinishFile(tempPath, target);
    file = nullptr;
    writing = false;
}

void ConfigFile::NotWritten(const std::string& why)
{
    sStatusMessage = "Could not write to " + sConfigPath;
    notSaved = why;
    writing = false;
}

void ConfigFile::DropTempFile(const std::string& tempPath)
{
    if (tempPath.empty())
        return;
    unlink(tempPath.c_str());
    ForgetTempFile();
}

std::string ConfigFile::NotSavedLine() const
{
    if (notSaved.empty())
        return "";
    return "ferntrack: settings not saved to " + sConfigPath + ": " + notSaved + "\n";
}

// Closes the file and, when every byte reached the disk, puts it in place:
// a temporary file is renamed over the target (otherwise it goes and the
// target stays as it was); a file rewritten in place is cut to its new
// length.
bool ConfigFile::FinishFile(const std::string& tempPath, const std::string& target)
{
    if (!failed && fflush(file) != 0)
        Failed(errno);
    if (!failed && tempPath.empty() && ftruncate(fileno(file), ftello(file)) != 0)
        Failed(errno);
    if (!failed && fsync(fileno(file)) != 0)
        Failed(errno);
    int closeError = fclose(file) != 0 ? errno : 0;
    if (!failed && closeError != 0)
        Failed(closeError);
    if (failed) {
        DropTempFile(tempPath);
        return false;
    }
    if (tempPath.empty())
        return true;
    if (rename(tempPath.c_str(), target.c_str()) != 0) {
        int error = errno;
        DropTempFile(tempPath);
        NotWritten(strerror(error));
        return false;
    }
    ForgetTempFile();
    SyncDirectoryOf(target);
    return true;
}

void ConfigFile::Failed(int error)
{
    sStatusMessage = "Could not append to " + sConfigPath;
    notSaved = strerror(error);
    failed = true;
}

void ConfigFile::WriteItem(const std::string& itemKey, const std::string& itemValue)
{
    if (failed || !writing)
        return;
    WriteText(itemKey + "=" + itemValue + "\n");
}

void ConfigFile::WriteText(const std::string& text)
{
    if (failed || file == nullptr)
        return;
    if (fwrite(text.data(), 1, text.size(), file) != text.size())
        Failed(errno);
}

void ConfigFile::Bool(const char* name, bool& variable)
{
    if (writing)
        WriteItem(name, variable ? "yes" : "no");
    else if (key == name)
        variable = value == "yes";
}

void ConfigFile::Int(const char* name, int& variable)
{
    if (writing)
        WriteItem(name, IntText(variable));
    else if (key == name)
        variable = ParseIntValue(value);
}

void ConfigFile::Float(const char* name, float& variable)
{
    if (writing)
        WriteItem(name, FloatText(variable));
    else if (key == name)
        variable = ParseFloatValue(value);
}

void ConfigFile::String(const char* name, std::string& variable)
{
    if (writing)
        WriteItem(name, variable);
    else if (key == name)
        variable = value;
}

void ConfigFile::Exchange()
{
    String("sRepFileName", sRepFileName);
    String("sRepFilter", sRepFilter);
    String("sRepTitle", sRepTitle);
    Bool("bRepKeepExt", bRepKeepExt);
    Int("iRepColumns", iRepColumns);
    Bool("bRepSplit", bRepSplit);
    Bool("bRepShowSize", bRepShowSize);
    Bool("bRepCacheReport", bRepCacheReport);
    String("sRepSeperator", sRepSeperator);
    Int("iRepCSVcols", iRepCSVcols);
    Int("iRepWordHits", iRepWordHits);
    Int("iRepBUT", iRepBUT);
    Int("iRepBDT", iRepBDT);
    Int("iRepBDI", iRepBDI);
    Int("iRepFocus", iRepFocus);
    String("sRepFocus", sRepFocus);
    String("sRepBDTuser", sRepBDTuser);
    String("sViewer", sViewer);
    String("sCurrentReport", sCurrentReport);
    String("sCurrentEmail", sCurrentEmail);
    Int("iSizeHitGrade", iSizeHitGrade);
    Int("iSizeHitBytes", iSizeHitBytes);
    String("sSizeHits", sSizeHits);
    Int("iCurrentLog", iCurrentLog);
    Int("iMonitorMode", iMonitorMode);
    Bool("bLookupIP", bLookupIP);
    Bool("bAliases", bAliases);
    Int("iUserNameLen", iUserNameLen);
    Int("iRepFast", iRepFast);
    Bool("bRepMySort", bRepMySort);
    Int("iTallyHP", iTallyHP);
    Float("iTallyFade", iTallyFade);
    Float("iTallyEntry", iTallyEntry);
    Bool("iTallyMonitor", iTallyMonitor);
    Bool("iTallyDenies", iTallyDenies);
}
