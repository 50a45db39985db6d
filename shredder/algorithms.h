// The five wiping methods and the preparation of the write buffer for one pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fraxil {

// What one pass writes. The numbers cross the interface.
enum class WriteType : int32_t { Complement = 0, Random = 1, Pattern = 2 };

struct PassInfo {
    WriteType type;
    std::vector<uint8_t> pattern;  // empty for random and complement passes
};

struct ShreddingAlgorithm {
    std::string name;
    std::string description;
    std::vector<PassInfo> passes;
};

// Every write goes through one buffer of this size.
constexpr size_t kWriteBufferSize = 65536;

// The methods in the order whose index is the ShredMethod property.
std::vector<ShreddingAlgorithm> BuildAlgorithmTable();
constexpr int kAlgorithmCount = 5;

// Prepares the first `length` bytes of the buffer for one pass: the pattern
// repeated, the low bytes of rand(), or the complement of what they held for
// the previous pass. A file shorter than the buffer needs only its own length
// (a random fill costs about 0.4 ms a buffer under Wine, one rand() a byte).
void FillWriteBuffer(uint8_t* buffer, const PassInfo& pass, size_t length = kWriteBufferSize);

// Two upper-case hexadecimal digits.
std::string FormatPatternHex(uint8_t byte);

}  // namespace fraxil
