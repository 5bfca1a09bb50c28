// The small text files (configuration, words, aliases, users) as hostile
// or careless hands leave them: whatever is behind the name, loading must
// neither hang nor read without bound.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "entries/aliases.h"
#include "entries/words.h"
#include "frame/config.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "temphome.h"

namespace {

struct Loader {
    const char* name;
    const std::string* path;
    std::string early;  // text at the start of the file
    std::string late;   // text past the first 16 MB
    std::function<std::string()> load;  // loads the file, tells what it took in
    std::string absent;  // what is taken in when there is no file
    std::string first;   // what is taken in from the early text alone
};

std::vector<Loader> Loaders()
{
    return {
        {"configuration", &sConfigPath, "sViewer=early\n", "\nsViewer=late\n",
         [] {
             ConfigFile().Read();
             return sViewer;
         },
         "less", "early"},
        {"words", &sWordsPath, "early\n", "\nlate\n",
         [] {
             LoadWords();
             return sWords;
         },
         "", "early\n"},
        {"aliases", &sAliasesPath, "early 10.0.0.1\n", "\nlate 10.0.0.2\n",
         [] {
             LoadAliases();
             return std::string(AliasOf("10.0.0.1")) + "," + std::string(AliasOf("10.0.0.2"));
         },
         ",", "early,"},
        {"users", &sUsersPath, "jdoe John Early\n", "\nlate Late Name\n",
         [] { return FullNameOf("jdoe") + "," + FullNameOf("late"); }, ",", "John Early,"},
    };
}

TEST(SmallFilesTest, ANameThatIsNoRegularFileReadsAsNoFile)
{
    TempHome home;
    // A loader that blocks in open fails the whole run here instead of
    // hanging it.
    alarm(20);
    const std::pair<const char*, std::function<void(const std::string&)>> hostile[] = {
        {"FIFO", [](const std::string& p) { mkfifo(p.c_str(), 0644); }},
        {"link to /dev/zero", [](const std::string& p) { symlink("/dev/zero", p.c_str()); }},
        {"link to /dev/urandom", [](const std::string& p) { symlink("/dev/urandom", p.c_str()); }},
        {"directory", [](const std::string& p) { mkdir(p.c_str(), 0755); }},
    };
    for (const Loader& loader : Loaders()) {
        for (const auto& [kind, make] : hostile) {
            SCOPED_TRACE(std::string(loader.name) + " " + kind);
            ResetSettings();
            std::filesystem::remove_all(*loader.path);
            make(*loader.path);
            EXPECT_EQ(loader.load(), loader.absent);
        }
        std::filesystem::remove_all(*loader.path);
    }
    alarm(0);
    ResetSettings();
}

TEST(SmallFilesTest, OnlyTheFirstSixteenMegabytesAreRead)
{
    TempHome home;
    const off_t late = off_t{17} << 20;
    for (const Loader& loader : Loaders()) {
        SCOPED_TRACE(loader.name);
        ResetSettings();
        // A sparse file: the zeros between the two texts take no disk.
        int fd = open(loader.path->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, loader.early.data(), loader.early.size(), 0),
                  static_cast<ssize_t>(loader.early.size()));
        ASSERT_EQ(pwrite(fd, loader.late.data(), loader.late.size(), late),
                  static_cast<ssize_t>(loader.late.size()));
        close(fd);
        EXPECT_EQ(loader.load(), loader.first);
        unlink(loader.path->c_str());
    }
    ResetSettings();
}

} // namespace
