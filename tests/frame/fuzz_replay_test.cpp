#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

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

// Replays the fuzzer's seeds and every input it once crashed on, so a fixed
// crash stays fixed (the sanitizer build turns a relapse into a failure).
TEST(FuzzReplay, SeedsAndRegressionsRunCleanly)
{
    std::vector<std::string> files = FilesIn(FERNTRACK_FUZZ_DIR "/corpus");
    std::vector<std::string> regressions = FilesIn(FERNTRACK_FUZZ_DIR "/regressions");
    files.insert(files.end(), regressions.begin(), regressions.end());
    ASSERT_FALSE(files.empty());
    for (const std::string& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size()), 0)
            << path;
    }
    ResetSettings();
}

} // namespace
