// The misc log options: texts of its screens, the checks on typed names and
// addresses, and the shell commands it runs, all built from the settings.
#pragma once

#include <string>

// Empty when every byte may stand in an e-mail address, else the complaint.
std::string EmailCheck(const std::string& text);
// The menu up to and including "Your choice: ".
std::string MiscLogText();
// Path of the current report in the private directory.
std::string CurrentReportPath();
// True when the path names a regular file that can be opened and is not
// empty: only such a report goes to the pager, the mailer or the filter.
bool ReportHasContent(const std::string& path);
// Pager command listing the report files, heading first.
std::string ListReportsCommand();
// Mail command for the current report; empty when the address may not
// reach a shell (a bad byte, or a leading '-' the mailer would take as an
// option).
std::string MailCommand();
// Applies a typed address: false (address kept) when it has a bad byte.
// An empty line changes nothing and counts as accepted.
bool SetEmail(const std::string& typed);
// Removes the current report, only when it is a regular file directly in the
// private directory and none of the program's own files; empties
// sCurrentReport either way. A refusal or failure goes to sStatusMessage.
void DeleteCurrentReport();
// The "s" listing of the log links, without the closing hint.
std::string LogLinksText();
// The user choice of the filter dialogue.
std::string FilterChoiceText(const std::string& focusUser, const std::string& currentUser);
