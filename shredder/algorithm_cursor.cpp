#include "algorithm_cursor.h"

namespace fraxil {

AlgorithmCursor::AlgorithmCursor(MessageLog& log) : log_(log) {}

void AlgorithmCursor::Build() { table_.Assign(BuildAlgorithmTable()); }

void AlgorithmCursor::Clear() { table_.Clear(); }

long AlgorithmCursor::GetFirst() {
    if (table_.First()) return 1;
    log_.ReportError(37016, log_.LookupMessage(37016));
    return 0;
}

long AlgorithmCursor::Next() {
    if (table_.Next()) return 1;
    log_.ReportError(37017, log_.LookupMessage(37017));
    return 0;
}

std::optional<ShreddingAlgorithm> AlgorithmCursor::Current() const { return table_.Current(); }

std::vector<PassInfo> AlgorithmCursor::PassesOf(size_t index) const {
    auto method = table_.At(index);
    return method ? method->passes : std::vector<PassInfo>{};
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
