// The cache class of a request, taken from the tag of its result code.
#pragma once

#include <string_view>

// Class mark of a line's result code: an upper-case letter for a request
// answered from the cache, 'd' for a denied one, a blank for a miss or a
// field without '/', '?' for an unknown tag.
char ClassifyResult(const char* line);
// The same for a result field (tag, '/', status) already taken from its line.
char ClassifyField(std::string_view field);
