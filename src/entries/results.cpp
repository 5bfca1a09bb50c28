#include "entries/results.h"

#include <algorithm>
#include <string_view>

#include "entries/fields.h"

namespace {

struct TagMark {
    std::string_view tag;
    char mark;
};

// Whole-tag equality only: TCP_MISS_ABORTED must never pass for TCP_MISS.
constexpr TagMark kTagMarks[] = {
    {"TCP_HIT", 'H'},
    {"TCP_IMS_HIT", 'I'},
    {"TCP_REFRESH_HIT", 'R'},
    {"TCP_REFRESH_UNMODIFIED", 'R'},
    {"TCP_NEGATIVE_HIT", 'N'},
    {"TCP_MEM_HIT", 'M'},
    {"TCP_HIT_ABORTED", 'A'},
    {"TCP_REFRESH_FAIL_OLD", 'F'},
    {"TCP_INM_HIT", 'U'},
    {"TCP_MISS", ' '},
    {"TCP_REFRESH_MISS", 'm'},
    {"TCP_REFRESH_MODIFIED", 'm'},
    {"TCP_CLIENT_REFRESH", 'r'},
    {"TCP_CLIENT_REFRESH_MISS", 'c'},
    {"TCP_MISS_ABORTED", 'a'},
    {"TCP_SWAPFAIL_MISS", 'f'},
    {"TCP_TUNNEL", 't'},
    {"TCP_REDIRECT", 'o'},
    {"TCP_DENIED", 'd'},
    {"TAG_NONE", '0'},
    {"NONE", '0'},
};

} // namespace

char ClassifyResult(const char* line) { return ClassifyField(FieldView(line, iResultField)); }

char ClassifyField(std::string_view field)
{
    // A plain loop: the field is short, and a library search costs more
    // to call than to run on every line of a scan.
    auto slash = std::find(field.begin(), field.end(), '/');
    if (slash == field.end())
        return ' ';
    std::string_view tag = field.substr(0, static_cast<size_t>(slash - field.begin()));
    for (const TagMark& entry : kTagMarks)
        if (entry.tag == tag)
            return entry.mark;
    return '?';
}
