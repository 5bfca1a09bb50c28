// The report options screen ('l').
#pragma once

// Shows the report options and lets the user change them; true when the
// user pressed Enter to run the report, false after 'q'. Changes are kept
// either way.
bool ReportOptions();
