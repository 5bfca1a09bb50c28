#include "frame/config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"
#include "frame/settings.h"

namespace {

const char* const headerLine = "# this complete file is reset on every clean exit\n";

// The mode and owner the new file gets: the old file's, so a replaced
// file keeps its permissions (and, when root saves, its owner), or what a
// fresh file would get.
void TakeOverFile(int fd, const struct stat* old)
{
    if (old == nullptr) {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        return;
    }
    fchmod(fd, old->st_mode & 07777);
    if (geteuid() == 0 && fchown(fd, old->st_uid, old->st_gid) != 0) {
        // The file then belongs to root; its content is still saved.
    }
}

// Makes the temporary file beside the target. Signals that end the
// program are held off until the file is noted, so that no exit path can
// leave it behind.
int MakeTempFile(std::string& tempPath)
{
    sigset_t exits, before;
    sigemptyset(&exits);
    for (int signo : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        sigaddset(&exits, signo);
    sigprocmask(SIG_BLOCK, &exits, &before);
    int fd = mkstemp(&tempPath[0]);
    int error = errno;
    if (fd >= 0)
        NoteTempFile(tempPath);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return fd;
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

void ConfigFile::Exchange()
{
    if (writing) {
        for (const std::string& name : SettingNames())
            WriteItem(name, SettingText(name));
    } else {
        ReadSettingText(key, value);
    }
}
