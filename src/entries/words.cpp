#include "entries/words.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "entries/fields.h"
#include "entries/results.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"
#include "frame/settings.h"

std::string sWords;

namespace {

// One entry of the words list, pointing into sParsedWords.
struct WordEntry {
    std::string_view word;
    char mark;
    // Position in the word of the byte least likely to occur in a log line
    // and of the next least likely one (the same for a one-byte word): the
    // search looks for places where both stand first.
    size_t rare;
    size_t second;
};

// Roughly how often a byte turns up in proxy log lines, most common first:
// blanks, dots, slashes and digits, then the letters of the result tags,
// host names, paths and content types. Bytes not listed are rarer still.
// Lower is rarer.
int Commonness(unsigned char c)
{
    static const char kCommon[] = " ./0123456789taeTioEpnsCmlrcwIghdS_NDP:R-uGMjOxbfkyvH=UzLF?&qA%";
    const char* at = static_cast<const char*>(memchr(kCommon, c, sizeof kCommon - 1));
    return at == nullptr ? 0 : static_cast<int>(sizeof kCommon) - static_cast<int>(at - kCommon);
}

// Position of the rarest byte of the word, leaving out position skip.
size_t RarestByte(std::string_view word, size_t skip = std::string_view::npos)
{
    size_t rare = skip == 0 && word.size() > 1 ? 1 : 0;
    for (size_t i = rare + 1; i < word.size(); ++i)
        if (i != skip &&
            Commonness(static_cast<unsigned char>(word[i])) < Commonness(static_cast<unsigned char>(word[rare])))
            rare = i;
    return rare;
}

WordEntry MakeEntry(std::string_view word, char mark)
{
    size_t rare = RarestByte(word);
    size_t second = word.size() > 1 ? RarestByte(word, rare) : rare;
    return {word, mark, rare, second};
}

bool SameAt(const char* start, const WordEntry& entry)
{
    return start[0] == entry.word[0] && memcmp(start, entry.word.data(), entry.word.size()) == 0;
}

#ifdef __SSE2__
// From start on (moved forward), the next block of sixteen starting places
// in which the word's two rarest bytes both stand somewhere, as a mask of
// those places; 0 when there is none up to lastStart (at least 15). Kept
// apart from the full comparisons, so that the loop stays in registers.
unsigned NextCandidates(const char* subject, size_t& start, size_t lastStart, const WordEntry& entry)
{
    const __m128i rareByte = _mm_set1_epi8(entry.word[entry.rare]);
    const __m128i secondByte = _mm_set1_epi8(entry.word[entry.second]);
    const char* rareAt = subject + entry.rare;
    const char* secondAt = subject + entry.second;
    for (; start <= lastStart; start += 16) {
        // The last block overlaps the one before rather than reading past
        // the subject; places tried twice change nothing.
        if (start > lastStart - 15)
            start = lastStart - 15;
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rareAt + start));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(secondAt + start));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, rareByte), _mm_cmpeq_epi8(b, secondByte))));
        if (mask != 0)
            return mask;
    }
    return 0;
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#define FERNTRACK_WIDE_WORD_SEARCH 1
// The same with thirty-two places at once (lastStart at least 31), for
// processors that have the wider comparisons.
__attribute__((target("avx2"))) unsigned NextCandidates32(const char* subject, size_t& start, size_t lastStart,
                                                          const WordEntry& entry)
{
    const __m256i rareByte = _mm256_set1_epi8(entry.word[entry.rare]);
    const __m256i secondByte = _mm256_set1_epi8(entry.word[entry.second]);
    const char* rareAt = subject + entry.rare;
    const char* secondAt = subject + entry.second;
    for (; start <= lastStart; start += 32) {
        if (start > lastStart - 31)
            start = lastStart - 31;
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rareAt + start));
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(secondAt + start));
        unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(a, rareByte), _mm256_cmpeq_epi8(b, secondByte))));
        if (mask != 0)
            return mask;
    }
    return 0;
}

bool HaveWideSearch()
{
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}
#endif

// Whether the word stands at any of the places in the blocks that next
// finds, width places each.
template <size_t width>
bool OccursInBlocks(const char* subject, size_t lastStart, const WordEntry& entry,
                    unsigned (*next)(const char*, size_t&, size_t, const WordEntry&))
{
    for (size_t start = 0;; start += width) {
        unsigned mask = next(subject, start, lastStart, entry);
        if (mask == 0)
            return false;
        for (; mask != 0; mask &= mask - 1)
            if (SameAt(subject + start + static_cast<size_t>(__builtin_ctz(mask)), entry))
                return true;
    }
}

// Whether the word occurs in the subject. Every line of a scan is tested
// against every word, so sixteen starting places are weighed at once where
// the processor allows: only those where the word's two rarest bytes both
// stand are compared in full.
bool Occurs(const char* subject, size_t length, const WordEntry& entry)
{
    size_t size = entry.word.size();
    if (size > length)
        return false;
    // Starting places from 0 to lastStart; the loads stay within the subject.
    size_t lastStart = length - size;
    size_t start = 0;
#ifdef FERNTRACK_WIDE_WORD_SEARCH
    if (lastStart >= 31 && HaveWideSearch())
        return OccursInBlocks<32>(subject, lastStart, entry, NextCandidates32);
#endif
#ifdef __SSE2__
    if (lastStart >= 15)
        return OccursInBlocks<16>(subject, lastStart, entry, NextCandidates);
#endif
    char key = entry.word[entry.rare];
    const char* from = subject + start + entry.rare;
    const char* last = subject + lastStart + entry.rare;
    while (from <= last) {
        const char* hit = static_cast<const char*>(memchr(from, key, static_cast<size_t>(last - from) + 1));
        if (hit == nullptr)
            return false;
        if (SameAt(hit - entry.rare, entry))
            return true;
        from = hit + 1;
    }
    return false;
}

// The words list as last parsed; vWordEntries points into it.
std::string sParsedWords;
// Entries with a non-empty word, in list order.
std::vector<WordEntry> vWordEntries;
// Whether the parsed copies have been made at least once.
bool bWordsParsed = false;

// The hit sizes list as last parsed, and its valid entries.
std::string sParsedSizeHits;
std::vector<int64_t> vSizeHits;
bool bSizeHitsParsed = false;

// User of the line being marked; kept between calls so its buffer is reused.
std::string sLineUser;

// Grades beyond this would turn the mark into a non-printing byte.
constexpr int kMaxGrade = '~' - '0';

// Matching runs on every line of every scan, so the list is split only when
// its text has changed since the last call.
const std::vector<WordEntry>& CurrentWords()
{
    if (bWordsParsed && sParsedWords == sWords)
        return vWordEntries;
    sParsedWords = sWords;
    bWordsParsed = true;
    vWordEntries.clear();
    std::string_view rest(sParsedWords);
    while (!rest.empty()) {
        size_t lf = rest.find('\n');
        std::string_view entry = rest.substr(0, lf);
        rest = (lf == std::string_view::npos) ? std::string_view() : rest.substr(lf + 1);
        char mark = 'w';
        if (!entry.empty() && entry.front() == '!') {
            entry.remove_prefix(1);
            mark = '-';
        }
        // An empty word never matches anything.
        if (!entry.empty())
            vWordEntries.push_back(MakeEntry(entry, mark));
    }
    return vWordEntries;
}

const std::vector<int64_t>& CurrentSizeHits()
{
    if (bSizeHitsParsed && sParsedSizeHits == sSizeHits)
        return vSizeHits;
    sParsedSizeHits = sSizeHits;
    bSizeHitsParsed = true;
    vSizeHits = ParseHitSizes(sParsedSizeHits);
    return vSizeHits;
}

// Mark of the first entry whose word occurs in the subject; blank for none.
char WordTest(const char* subject, size_t length)
{
    for (const WordEntry& entry : CurrentWords())
        if (Occurs(subject, length, entry))
            return entry.mark;
    return ' ';
}

} // namespace

bool LoadWords()
{
    sWords.clear();
    // Only a regular file, and at most its first 16 MB.
    std::string text;
    if (!ReadSmallFile(sWordsPath, text))
        return false;
    bool keptSinceLf = false;
    for (char byte : text) {
        unsigned char c = static_cast<unsigned char>(byte);
        if (c == '\n') {
            if (keptSinceLf)
                sWords.push_back('\n');
            keptSinceLf = false;
        } else if (c >= 0x20) {
            sWords.push_back(static_cast<char>(c));
            keptSinceLf = true;
        }
    }
    if (!sWords.empty() && sWords.back() != '\n')
        sWords.push_back('\n');
    return true;
}

bool SaveWords()
{
    int fd = OpenRegularWrite(sWordsPath, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0)
        return false;
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        return false;
    }
    bool ok = fwrite(sWords.data(), 1, sWords.size(), file) == sWords.size();
    // Buffered bytes are written by fclose, so its failure is a failed write.
    if (fclose(file) != 0)
        ok = false;
    return ok;
}

void MatchWords(const char* line, char out[4])
{
    LineFields fields;
    SplitLine(line, fields);
    MatchWords(fields, out);
}

void MatchWords(const LineFields& fields, char out[4])
{
    int64_t bytes = 0;
    MatchWords(fields, out, bytes);
}

void MatchWords(const LineFields& fields, char out[4], int64_t& bytes)
{
    bool haveUser = false;
    std::string_view user;
    char wordMark = WordTest(fields.line, fields.length);
    if (wordMark == ' ' && bAliases) {
        user = UserView(fields, sLineUser);
        haveUser = true;
        wordMark = WordTest(user.data(), user.size());
    }
    bytes = BytesOfField(FieldOf(fields, iBytesField));
    out[0] = wordMark;
    out[1] = GradeMark(SizeGrade(bytes));
    out[2] = ClassifyField(FieldOf(fields, iResultField));
    out[3] = ' ';
    if (iRepFocus == 1) {
        if (!haveUser)
            user = UserView(fields, sLineUser);
        if (user == sRepFocus)
            out[3] = 'f';
    }
}

bool IsHitLine(const char* line)
{
    if (iRepFocus != 1 && !bAliases && iSizeHitGrade == 0) {
        // The same bytes SplitLine gives the word test: up to NUL, LF or CR.
        size_t length = strlen(line);
        for (char end : {'\n', '\r'})
            if (const void* at = memchr(line, end, length))
                length = static_cast<size_t>(static_cast<const char*>(at) - line);
        return WordTest(line, length) == 'w';
    }
    char marks[4];
    MatchWords(line, marks);
    return IsHit(marks);
}

void MatchWords(const char* line, std::string& out)
{
    char marks[4];
    MatchWords(line, marks);
    out.assign(marks, 4);
}

std::vector<int64_t> ParseHitSizes(std::string_view text)
{
    std::vector<int64_t> sizes;
    size_t pos = 0;
    for (;;) {
        size_t end = text.find(' ', pos);
        if (end == std::string_view::npos)
            end = text.size();
        if (end == pos)
            break;
        int64_t value = 0;
        size_t i = pos;
        for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
            int digit = text[i] - '0';
            // Saturates: a size too large to reach is still a valid entry.
            value = (value > (INT64_MAX - digit) / 10) ? INT64_MAX : value * 10 + digit;
        }
        if (i != end || value < 1)
            break;
        sizes.push_back(value);
        if (end == text.size())
            break;
        pos = end + 1;
    }
    return sizes;
}

int SizeGrade(int64_t bytes)
{
    int grade = 0;
    for (int64_t size : CurrentSizeHits()) {
        if (size >= bytes || grade == kMaxGrade)
            break;
        ++grade;
    }
    return grade;
}

char GradeMark(int grade)
{
    return grade == 0 ? ' ' : static_cast<char>('0' + grade);
}

bool IsHit(const char* marks)
{
    if (iRepFocus == 1 && marks[3] != 'f')
        return false;
    if (marks[0] == 'w')
        return true;
    if (marks[0] == '-' || iSizeHitGrade == 0)
        return false;
    // The grade the mark stands for (a blank is below every digit), compared
    // so that no setting, however large, overflows.
    int grade = static_cast<unsigned char>(marks[1]) - '0';
    return grade >= iSizeHitGrade;
}
