#include "algorithm_cursor.h"

namespace fraxil {

AlgorithmCursor::AlgorithmCursor(MessageLog& log) : log_(log) {}

void AlgorithmCursor::Build() {
    std::vector<ShreddingAlgorithm> table = BuildAlgorithmTable();
    std::lock_guard lock(mu_);
    table_ = std::move(table);
    cursor_ = -1;
    current_ = -1;
}

void AlgorithmCursor::Clear() {
    std::lock_guard lock(mu_);
    table_.clear();
    cursor_ = -1;
    current_ = -1;
}

long AlgorithmCursor::GetFirst() {
    bool empty;
    {
        std::lock_guard lock(mu_);
        empty = table_.empty();
        if (!empty) {
            current_ = 0;
            cursor_ = 0;
        }
    }
    if (empty) {
        log_.ReportError(37016, log_.LookupMessage(37016));
        return 0;
    }
    return 1;
}

long AlgorithmCursor::Next() {
    bool atEnd;
    {
        std::lock_guard lock(mu_);
        atEnd = cursor_ < 0 || cursor_ >= static_cast<long>(table_.size());
        if (!atEnd) current_ = cursor_++;
    }
    if (atEnd) {
        log_.ReportError(37017, log_.LookupMessage(37017));
        return 0;
    }
    return 1;
}

std::optional<ShreddingAlgorithm> AlgorithmCursor::Current() const {
    std::lock_guard lock(mu_);
    if (current_ < 0 || current_ >= static_cast<long>(table_.size())) return std::nullopt;
    return table_[static_cast<size_t>(current_)];
}

std::vector<PassInfo> AlgorithmCursor::PassesOf(size_t index) const {
    std::lock_guard lock(mu_);
    return index < table_.size() ? table_[index].passes : std::vector<PassInfo>{};
}

std::optional<PassInfo> AlgorithmCursor::CurrentFirstPass() const {
    auto method = Current();
    if (!method || method->passes.empty()) return std::nullopt;
    return method->passes.front();
}

std::string AlgorithmCursor::CurrentName() const {
    auto method = Current();
    return method ? method->name : std::string();
}

std::string AlgorithmCursor::CurrentDescription() const {
    auto method = Current();
    return method ? method->description : std::string();
}

long AlgorithmCursor::CurrentPassesCount() const {
    auto method = Current();
    return method ? static_cast<long>(method->passes.size()) : -1;
}

long AlgorithmCursor::CurrentFirstPassPatternLength() const {
    auto pass = CurrentFirstPass();
    return pass ? static_cast<long>(pass->pattern.size()) : -1;
}

long AlgorithmCursor::CurrentFirstPassWriteType() const {
    auto pass = CurrentFirstPass();
    return pass ? static_cast<long>(pass->type) : -1;
}

std::string AlgorithmCursor::CurrentFirstPassPattern() const {
    auto pass = CurrentFirstPass();
    return pass ? std::string(pass->pattern.begin(), pass->pattern.end()) : std::string();
}

}  // namespace fraxil
