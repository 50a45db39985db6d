// The table of wiping methods and the cursor that walks it: GetFirst makes the
// first method current, Next makes the method under the cursor current and moves
// on, so that after GetFirst the first Next yields the first method again.
#pragma once

#include "algorithms.h"
#include "cursor_list.h"
#include "message_log.h"

#include <optional>
#include <string>
#include <vector>

namespace fraxil {

class AlgorithmCursor {
public:
    explicit AlgorithmCursor(MessageLog& log);

    // The five methods, with no cursor and no current method.
    void Build();
    // No methods at all (before Initialize and after Release).
    void Clear();

    // 1 done; 0 with error 37016 for an empty table.
    long GetFirst();
    // 1 done; 0 with error 37017 at the end of the table or without a cursor.
    long Next();

    // The current method; nothing without one.
    std::optional<ShreddingAlgorithm> Current() const;
    // The passes of the method at `index`; none when the table has no such method.
    std::vector<PassInfo> PassesOf(size_t index) const;

    // What the interface shows of the current method: the texts empty and the
    // numbers -1 without one; the first pass's pattern length, write type and
    // bytes (as characters), -1 or empty for a method without passes.
    std::string CurrentName() const;
    std::string CurrentDescription() const;
    long CurrentPassesCount() const;
    long CurrentFirstPassPatternLength() const;
    long CurrentFirstPassWriteType() const;
    std::string CurrentFirstPassPattern() const;

private:
    std::optional<PassInfo> CurrentFirstPass() const;

    MessageLog& log_;
    CursorList<ShreddingAlgorithm> table_;
};

}  // namespace fraxil
