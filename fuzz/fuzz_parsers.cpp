// Fuzz target over the program's text parsers. The first byte of an input
// picks the parser by its tag ('c' configuration, 'w' words, 'a' aliases,
// 'u' users, 'l' one log line); any other first
// byte picks one by its value, so mutations reach every parser. The rest of
// the input is the text handed to the parser.
//
// To add a parser: write a FuzzSomething(std::string_view) below and append
// it to the table with an unused tag. Keep existing entries in place so the
// seeds in corpus/ keep reaching the parser they were written for.

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "entries/aliases.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "entries/results.h"
#include "entries/words.h"
#include "frame/config.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

namespace {

// The configuration file: any bytes at all, in one piece.
void FuzzConfig(std::string_view text)
{
    ResetSettings();
    ConfigFile config;
    config.ReadText(text);
}

// The file parsers read from the private directory: give them one of their
// own, made once per process.
void WriteFile(const std::string& path, std::string_view text)
{
    // The directory is remembered apart from the paths, which other code
    // in the same process may point elsewhere before it ends.
    static std::string home;
    if (home.empty()) {
        char tmpl[] = "/tmp/ferntrack-fuzz-XXXXXX";
        if (mkdtemp(tmpl) == nullptr)
            abort();
        home = tmpl;
        atexit([] {
            std::string dir = home + "/.ferntrack";
            for (const char* name : {"/words", "/aliases", "/users"})
                unlink((dir + name).c_str());
            rmdir(dir.c_str());
            rmdir(home.c_str());
        });
    }
    if (sHomeDir != home) {
        SetPaths(home);
        mkdir(sPrivateDir.c_str(), 0700);
    }
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        abort();
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

void FuzzWords(std::string_view text)
{
    WriteFile(sWordsPath, text);
    LoadWords();
    // Every loaded entry must be a clean line: no control byte, no empty one.
    for (size_t i = 0; i < sWords.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(sWords[i]);
        if ((c < 0x20 && c != '\n') || (c == '\n' && (i == 0 || sWords[i - 1] == '\n')))
            abort();
    }
    char marks[4];
    MatchWords("1286536308.779 1 10.0.0.1 TCP_MISS/200 1234 GET http://a/b jdoe - -", marks);
}

void FuzzAliases(std::string_view text)
{
    WriteFile(sAliasesPath, text);
    LoadAliases();
    AliasOf("10.0.0.1");
    AliasOf(text.substr(0, 40));
}

void FuzzUsers(std::string_view text)
{
    WriteFile(sUsersPath, text);
    size_t blank = text.find(' ');
    FullNameOf(std::string(text.substr(0, blank == std::string_view::npos ? 8 : blank)));
    FullNameOf("jdoe");
}

// One log line through every operation that takes a line apart.
void FuzzLine(std::string_view text)
{
    ResetSettings();
    std::string line(text);
    bAliases = !line.empty() && (line[0] & 1);
    DetectLayout(line.c_str());
    std::string out;
    for (int n = -1; n < 16; ++n)
        GetField(line.c_str(), n, out);
    SiteOf(line.c_str(), out);
    TimeText(GetTime(line.c_str()));
    GetBytes(line.c_str());
    GetUser(line.c_str(), true, out);
    GetUser(line.c_str(), false, out);
    ClassifyResult(line.c_str());
    char marks[4];
    MatchWords(line.c_str(), marks);
    IsHit(marks);
    std::string shown = line;
    ShortenUrl(shown, static_cast<int>(line.size() % 97));
    FitWidth(shown, 40);
    if (shown.size() != 40)
        abort();
}

struct FuzzTarget {
    unsigned char tag;
    void (*run)(std::string_view text);
};

const FuzzTarget fuzzTargets[] = {
    {'c', FuzzConfig}, {'w', FuzzWords}, {'a', FuzzAliases},
    {'u', FuzzUsers},  {'l', FuzzLine},
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
