#pragma once
// Finds text in the display's buffer, ignoring case. A match lies within one
// line: the text searched for holds no line break.
#include "display/DisplayBuffer.h"

#include <QString>

namespace DisplaySearch {

enum class Direction { Forward, Backward };

struct Match {
    int start = -1; // buffer position; -1 when nothing matched
    int length = 0;
    // The search went past the end (or the start) and on from the other end.
    bool wrapped = false;
    bool found() const { return start >= 0; }
};

// Forward: the first match starting at or after from; backward: the last one
// starting before from. When there is none that way, the search goes on
// from the other end of the buffer up to from. An empty needle matches nothing.
Match find(const DisplayBuffer& buffer, const QString& needle, int from, Direction direction);

} // namespace DisplaySearch
