// The report run on the screen: hit lines scrolling past while it scans,
// the progress line, and the view offer at the end.
#pragma once

class GenerateReport;

// Runs a report with the screen hooked in, then offers to view it.
void RunReport(GenerateReport& report);
