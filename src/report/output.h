// The texts of a report file: the range header and the closing sections.
// Each result is written to the file exactly as returned.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A number with thousands commas, right-aligned in the sections' width of 11.
std::string Padded(uint64_t n);
// "For S\n\n", or "For S to E\n\n" when the two differ.
std::string RangeHeaderText(const std::string& start, const std::string& end);
// The summary lines: scanned bytes, hits and their bytes.
std::string SummaryText(int64_t scannedBytes, int64_t hits, int64_t hitBytes);
// Bytes of requests logged with the user "-".
std::string DashUserText(int64_t dashBytes);
// The cache hit statistics section.
std::string CacheSectionText(int64_t cacheRequests, int64_t requests, int64_t cacheBytes,
                             int64_t scannedBytes);
// Heading of the user totals (after a blank line), by iRepBUT.
std::string UsersHeaderText(int64_t usersBytes);
// One totals line: bytes right-aligned in 11, the separator, the name and
// " : " and the full name when there is one.
std::string TotalLineText(uint64_t bytes, std::string_view name, std::string_view fullName);
// The same line appended to out.
void AppendTotalLine(std::string& out, uint64_t bytes, std::string_view name, std::string_view fullName);
// The blank line, the full name of sRepBDTuser (when iRepBDT is 2 or more
// and fullName is not empty) and the heading of the domain totals.
std::string DomainsHeaderText(int64_t domainsBytes, const std::string& fullName);
// The question of the view offer at the end of a report with content, at
// most width bytes long when width is positive: the summary gives way, the
// question "View (y/n)? " never does.
std::string ViewQuestionText(const std::string& fileName, const std::string& summary, int width = 0);
// The status message after the view offer.
std::string AfterViewText(const std::string& fileName);
// The shell command that shows a report file with the pager.
std::string ViewCommand(const std::string& fileName);
