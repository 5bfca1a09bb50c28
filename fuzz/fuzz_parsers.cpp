// Fuzz target over the program's text parsers. The first byte of an input
// picks the parser by its tag ('c' configuration, 'w' words, 'a' aliases,
// 'u' users, 'l' one log line, 'g' a kept index of a gzip log); any other first
// byte picks one by its value, so mutations reach every parser. The rest of
// the input is the text handed to the parser.
//
// Each parser's run checks what its output must always satisfy and names
// the first broken bound (null when all hold); the fuzzer aborts on one, and
// the unit tests replay the corpus and the regressions through the same
// checks (FuzzParsersCheck).
//
// To add a parser: write a FuzzSomething(std::string_view) below and append
// it to the table with an unused tag. Keep existing entries in place so the
// seeds in corpus/ keep reaching the parser they were written for.

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "browse/gzipindex.h"
#include "entries/aliases.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "entries/results.h"
#include "entries/words.h"
#include "frame/config.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "support/tempdir.h"

namespace {

// The file parsers read from the private directory: give them one of their
// own, made once per process.
void UseFuzzHome()
{
    // The directory is remembered apart from the paths, which other code
    // in the same process may point elsewhere before it ends.
    static std::string home;
    if (home.empty()) {
        home = MakeScratchDir("ferntrack-fuzz");
        atexit([] { RemoveScratchDir(home); });
    }
    if (sHomeDir != home) {
        SetPaths(home);
        mkdir(sPrivateDir.c_str(), 0700);
    }
}

void WriteFile(const std::string& path, std::string_view text)
{
    if (!WriteWholeFile(path, std::string(text)))
        abort();
}

// The configuration file: any bytes at all. Whatever values they set, a
// saved file must read back as the same settings: saving again gives the
// same text.
const char* FuzzConfig(std::string_view text)
{
    UseFuzzHome();
    ResetSettings();
    ConfigFile config;
    config.ReadText(text);
    config.Write();
    std::string first = ReadWholeFile(sConfigPath);
    ResetSettings();
    config.Read();
    config.Write();
    if (ReadWholeFile(sConfigPath) != first)
        return "configuration: a saved file does not read back as the same settings";
    if (first.compare(0, 2, "# ") != 0 || first.back() != '\n')
        return "configuration: the saved file is not whole";
    return nullptr;
}

const char* FuzzWords(std::string_view text)
{
    UseFuzzHome();
    WriteFile(sWordsPath, text);
    LoadWords();
    // Every loaded entry must be a clean line: no control byte, no empty one.
    for (size_t i = 0; i < sWords.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(sWords[i]);
        if ((c < 0x20 && c != '\n') || (c == '\n' && (i == 0 || sWords[i - 1] == '\n')))
            return "words: a loaded entry holds a control byte or is empty";
    }
    if (!sWords.empty() && sWords.back() != '\n')
        return "words: the list does not end with a line feed";
    char marks[4];
    MatchWords("1286536308.779 1 10.0.0.1 TCP_MISS/200 1234 GET http://a/b jdoe - -", marks);
    if (marks[0] != 'w' && marks[0] != '-' && marks[0] != ' ')
        return "words: a word mark outside w, - and blank";
    return nullptr;
}

const char* FuzzAliases(std::string_view text)
{
    UseFuzzHome();
    WriteFile(sAliasesPath, text);
    LoadAliases();
    // A name is one field: it never holds a blank or a line end.
    for (std::string_view address : {std::string_view("10.0.0.1"), text.substr(0, 40)}) {
        std::string_view name = AliasOf(address);
        if (name.find_first_of(" \r\n") != std::string_view::npos)
            return "aliases: a name holds a blank or a line end";
    }
    return nullptr;
}

const char* FuzzUsers(std::string_view text)
{
    UseFuzzHome();
    WriteFile(sUsersPath, text);
    size_t blank = text.find(' ');
    for (const std::string& user :
         {std::string(text.substr(0, blank == std::string_view::npos ? 8 : blank)), std::string("jdoe")}) {
        if (FullNameOf(user).find_first_of("\r\n") != std::string::npos)
            return "users: a full name holds a line end";
    }
    return nullptr;
}

// One log line through every operation that takes a line apart.
const char* FuzzLine(std::string_view text)
{
    ResetSettings();
    std::string line(text);
    bAliases = !line.empty() && (line[0] & 1);
    DetectLayout(line.c_str());
    std::string out;
    for (int n = -1; n < 16; ++n)
        GetField(line.c_str(), n, out);
    SiteOf(line.c_str(), out);
    if (GetTime(line.c_str()) < 0)
        return "line: a negative time";
    if (TimeText(GetTime(line.c_str())).size() > 23)
        return "line: a time text longer than Www Mmm dd hh:mm -yyyyy";
    GetBytes(line.c_str());
    GetUser(line.c_str(), true, out);
    GetUser(line.c_str(), false, out);
    ClassifyResult(line.c_str());
    char marks[4];
    MatchWords(line.c_str(), marks);
    if (marks[1] != ' ' && (marks[1] < '1' || marks[1] > '~'))
        return "line: a size grade mark that is not printable";
    if (marks[3] != 'f' && marks[3] != ' ')
        return "line: a focus mark outside f and blank";
    IsHit(marks);
    std::string shown = line;
    size_t width = line.size() % 97;
    ShortenUrl(shown, static_cast<int>(width));
    if (shown.size() != std::min(line.size(), width))
        return "line: a shortened URL not cut to the width";
    FitWidth(shown, 40);
    if (shown.size() != 40)
        return "line: a fitted text not of the width";
    return nullptr;
}

// A kept index of a compressed log. The key it is checked against is read
// from where the file keeps its own, so mutations get past that check.
const char* FuzzIndexFile(std::string_view text)
{
    std::string bytes(text);
    GzipKey key;
    uint64_t* parts[] = {&key.device, &key.inode};
    for (int i = 0; i < 2; ++i)
        for (int b = 0; b < 8 && 12 + 8 * i + b < static_cast<int>(bytes.size()); ++b)
            *parts[i] |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[12 + 8 * i + b])) << (8 * b);
    int64_t* numbers[] = {&key.size, &key.mtimeSec, &key.mtimeNsec};
    for (int i = 0; i < 3; ++i) {
        uint64_t v = 0;
        for (int b = 0; b < 8 && 28 + 8 * i + b < static_cast<int>(bytes.size()); ++b)
            v |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[28 + 8 * i + b])) << (8 * b);
        *numbers[i] = static_cast<int64_t>(v);
    }
    for (int b = 0; b < 8 && 52 + b < static_cast<int>(bytes.size()); ++b)
        key.fingerprint |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[52 + b])) << (8 * b);
    GzipIndex index;
    if (!ParseIndexFile(bytes, key, index))
        return index.points.empty() ? nullptr : "index: a refused file left points behind";
    if (index.points.empty() || index.points[0].out != 0 || index.points[0].in != 0)
        return "index: accepted without the first point at the start";
    for (size_t i = 1; i < index.points.size(); ++i) {
        const GzipPoint& p = index.points[i];
        if (p.out <= index.points[i - 1].out || p.in <= index.points[i - 1].in)
            return "index: accepted points that do not climb";
        if (p.out > index.textSize || p.in > key.size || p.bits < 0 || p.bits > 7)
            return "index: accepted a point outside the file or its text";
        if (p.windowAt < kIndexHeadSize ||
            p.windowAt + static_cast<int64_t>(p.windowLen) > static_cast<int64_t>(bytes.size()))
            return "index: accepted a window outside the file";
        std::string window;
        if (UnpackWindow(bytes.substr(static_cast<size_t>(p.windowAt), p.windowLen), window) &&
            window.size() > 32768)
            return "index: a window longer than 32 KiB";
    }
    return nullptr;
}

struct FuzzTarget {
    unsigned char tag;
    const char* (*run)(std::string_view text);
};

const FuzzTarget fuzzTargets[] = {
    {'c', FuzzConfig}, {'w', FuzzWords}, {'a', FuzzAliases},
    {'u', FuzzUsers},  {'l', FuzzLine},   {'g', FuzzIndexFile},
};

const size_t fuzzTargetCount = sizeof fuzzTargets / sizeof fuzzTargets[0];

} // namespace

// The first bound the input breaks, or null.
const char* FuzzParsersCheck(const uint8_t* data, size_t size)
{
    if (size == 0)
        return nullptr;
    const FuzzTarget* chosen = &fuzzTargets[data[0] % fuzzTargetCount];
    for (const FuzzTarget& target : fuzzTargets) {
        if (target.tag == data[0])
            chosen = &target;
    }
    return chosen->run(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (const char* broken = FuzzParsersCheck(data, size)) {
        fprintf(stderr, "%s\n", broken);
        abort();
    }
    return 0;
}
