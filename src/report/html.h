// The report as one self-contained HTML page: the summary and cache
// statistics, charts of requests and bytes per hour and of the top users
// and domains (inline SVG and CSS, no script), the full user and domain
// tables and the hit lines. A third output beside the text and CSV lines,
// fed by the same counters and sorted totals of the run.
#pragma once

#include <string>
#include <string_view>

#include "report/generate.h"

// What GenerateReport::pPage takes for an HTML page.
const PageOutput& HtmlPageOutput();

// Text as HTML content or attribute value: the five special characters as
// references; control characters and bytes that are not UTF-8 as U+FFFD.
std::string HtmlEscape(std::string_view text);
// The same, appended to out.
void AppendEscaped(std::string& out, std::string_view text);
