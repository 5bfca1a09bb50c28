// The plain line stepping every reader must agree with: one positioned
// read of at most kLineMax bytes per step, over a text held in memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "browse/linereader.h"

// The plain reading the window must agree with: one positioned read per step.
struct Reference {
    std::string data;
    std::string text;

    int64_t Next(int64_t offset)
    {
        text.clear();
        int64_t size = static_cast<int64_t>(data.size());
        if (offset >= size || offset < 0)
            return 0;
        int64_t n = std::min<int64_t>(size - offset, kLineMax);
        std::string chunk = data.substr(static_cast<size_t>(offset), static_cast<size_t>(n));
        size_t lf = chunk.find('\n');
        if (lf != std::string::npos) {
            text = chunk.substr(0, lf);
            return offset + static_cast<int64_t>(lf) + 1;
        }
        text = chunk;
        return offset + n;
    }

    int64_t Prev(int64_t offset)
    {
        text.clear();
        if (offset <= 0)
            return 0;
        int64_t n = std::min<int64_t>(offset, kLineMax);
        int64_t start = offset - n;
        std::string chunk = data.substr(static_cast<size_t>(start), static_cast<size_t>(n));
        // Byte 0 counts only at the start of the log, where it can end a
        // first line of its own.
        for (int64_t j = n - 2; j >= (start == 0 ? 0 : 1); --j) {
            if (chunk[static_cast<size_t>(j)] == '\n') {
                text = chunk.substr(static_cast<size_t>(j) + 1);
                return start + j + 1;
            }
        }
        return start;
    }
};
