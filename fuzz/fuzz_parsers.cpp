// Fuzz target over the program's text parsers. The first byte of an input
// picks the parser by its tag ('c' configuration file); any other first
// byte picks one by its value, so mutations reach every parser. The rest of
// the input is the text handed to the parser.
//
// To add a parser: write a FuzzSomething(std::string_view) below and append
// it to the table with an unused tag. Keep existing entries in place so the
// seeds in corpus/ keep reaching the parser they were written for.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frame/config.h"
#include "frame/settings.h"

namespace {

// The configuration file: any bytes at all, in one piece.
void FuzzConfig(std::string_view text)
{
    ResetSettings();
    ConfigFile config;
    config.ReadText(text);
}

struct FuzzTarget {
    unsigned char tag;
    void (*run)(std::string_view text);
};

const FuzzTarget fuzzTargets[] = {
    {'c', FuzzConfig},
};

const size_t fuzzTargetCount = sizeof fuzzTargets / sizeof fuzzTargets[0];

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const FuzzTarget* chosen = &fuzzTargets[data[0] % fuzzTargetCount];
    for (const FuzzTarget& target : fuzzTargets) {
        if (target.tag == data[0])
            chosen = &target;
    }
    chosen->run(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
}
