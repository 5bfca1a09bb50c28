// Choosing the source for a log path by the file's first bytes.
#pragma once

#include <memory>
#include <string>

#include "browse/logsource.h"

// The source that reads the file at path. A file that cannot be opened
// gives a source that reads as an empty log.
std::unique_ptr<LogSource> OpenLogSource(const std::string& path);
