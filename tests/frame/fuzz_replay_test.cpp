#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/settings.h"

// The fuzz target's bounds check: the first bound an input breaks, or null.
const char* FuzzParsersCheck(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] != '.')
                files.push_back(dir + "/" + e->d_name);
        }
        closedir(d);
    }
    return files;
}

// Replays the fuzzer's seeds and every input it once failed on through the
// same checks of the parsers' outputs (and, in the sanitizer build, their
// memory use), so a fixed fault stays fixed. Every parser has seeds.
TEST(FuzzReplay, SeedsAndRegressionsKeepTheParsersWithinBounds)
{
    std::vector<std::string> files = FilesIn(FERNTRACK_FUZZ_DIR "/corpus");
    std::vector<std::string> regressions = FilesIn(FERNTRACK_FUZZ_DIR "/regressions");
    files.insert(files.end(), regressions.begin(), regressions.end());
    std::string tags;
    for (const std::string& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!data.empty() && tags.find(data[0]) == std::string::npos)
            tags += data[0];
        const char* broken = FuzzParsersCheck(reinterpret_cast<const uint8_t*>(data.data()), data.size());
        EXPECT_EQ(broken == nullptr ? "" : broken, std::string()) << path;
    }
    for (char tag : std::string("cwaul"))
        EXPECT_NE(tags.find(tag), std::string::npos) << "no seed for the parser tagged " << tag;
    ResetSettings();
}

} // namespace
