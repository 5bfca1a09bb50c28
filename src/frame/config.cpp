#include "frame/config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "entries/texts.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

namespace {

const char* const headerLine = "# this complete file is reset on every clean exit\n";

bool IsAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads an int value the way atoi reads ordinary text (leading white space,
// a sign, digits up to the first other byte, 0 when nothing is readable),
// but takes the number modulo 2^32 instead of leaving overflow undefined.
// That way the 20-digit two's-complement form earlier versions wrote for a
// negative value (18446744073709551611 for -5) reads back as that value.
int ParseIntValue(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i]))
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

std::string IntText(int value)
{
    if (value >= 0)
        return NumToStr(static_cast<uint64_t>(value));
    return "-" + NumToStr(static_cast<uint64_t>(-static_cast<int64_t>(value)));
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

std::string FloatText(float value)
{
    // Large enough for "%f" of any float (FLT_MAX has 39 integer digits), so
    // no value is cut short and read back as another.
    char buf[64];
    int n = snprintf(buf, sizeof buf, "%f", static_cast<double>(value));
    if (n < 0 || n >= static_cast<int>(sizeof buf))
        return "0.000000";
    return buf;
}

// The file the new text replaces: a symbolic link is followed, so a
// configuration kept elsewhere through a link stays there.
std::string WriteTarget()
{
    struct stat st;
    if (lstat(sConfigPath.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return sConfigPath;
    char* real = realpath(sConfigPath.c_str(), nullptr);
    if (real == nullptr)
        return sConfigPath;
    std::string out = real;
    free(real);
    return out;
}

// The mode the new file gets: the old file's, or what a fresh file would get.
mode_t NewFileMode(const std::string& target)
{
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void SyncDirectoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

void ConfigFile::Read()
{
    writing = false;
    failed = false;
    line.clear();
    int fd = open(sConfigPath.c_str(), O_RDONLY);
    if (fd < 0) {
        sStatusMessage = "Could not read " + sConfigPath;
        return;
    }
    char block[4096];
    for (;;) {
        ssize_t n = read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        Feed(block, static_cast<size_t>(n));
    }
    close(fd);
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
    std::string target = WriteTarget();
    std::string tempPath = target + ".XXXXXX";
    int fd = mkstemp(&tempPath[0]);
    if (fd < 0) {
        sStatusMessage = "Could not write to " + sConfigPath;
        writing = false;
        return;
    }
    fchmod(fd, NewFileMode(target));
    file = fdopen(fd, "w");
    if (file == nullptr) {
        close(fd);
        unlink(tempPath.c_str());
        sStatusMessage = "Could not write to " + sConfigPath;
        writing = false;
        return;
    }
    WriteText(headerLine);
    Exchange();
    FinishFile(tempPath, target);
    file = nullptr;
    writing = false;
}

// Closes the temporary file and, when every byte reached the disk, renames
// it over the target. Otherwise the temporary file goes and the target
// stays as it was.
bool ConfigFile::FinishFile(const std::string& tempPath, const std::string& target)
{
    if (!failed && (fflush(file) != 0 || fsync(fileno(file)) != 0))
        failed = true;
    if (fclose(file) != 0)
        failed = true;
    if (failed) {
        sStatusMessage = "Could not append to " + sConfigPath;
        unlink(tempPath.c_str());
        return false;
    }
    if (rename(tempPath.c_str(), target.c_str()) != 0) {
        sStatusMessage = "Could not write to " + sConfigPath;
        unlink(tempPath.c_str());
        return false;
    }
    SyncDirectoryOf(target);
    return true;
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
    if (fwrite(text.data(), 1, text.size(), file) != text.size()) {
        sStatusMessage = "Could not append to " + sConfigPath;
        failed = true;
    }
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
