// The output list's lines, held compactly: the bytes of all lines in large
// chunks, each line ended by a zero byte, one 8-byte position and one 4-byte
// line number per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace quillo {

class OutputLineStore {
public:
    static constexpr std::uint64_t MaxLines = 2147483647;

    // capacityBytes: what the store may hold (line bytes plus its own
    // overhead) before it refuses lines; see DefaultCapacity().
    explicit OutputLineStore(std::uint64_t capacityBytes = DefaultCapacity(), std::uint64_t maxLines = MaxLines);

    // Half of the machine's physical memory.
    static std::uint64_t DefaultCapacity();

    // Appends a line, held up to its first zero byte. Raises the failure
    // "Unable to insert a line" when the store is full.
    void Append(std::string_view line) { Append(line, 0); }
    // The same, with the line's number within the file it was found in
    // (0: none, as for header lines).
    void Append(std::string_view line, std::uint32_t lineNumber);
    void Clear() noexcept;

    std::size_t Count() const noexcept { return count_; }
    bool Empty() const noexcept { return count_ == 0; }
    std::string_view Line(std::size_t i) const noexcept;
    // The number given with line i; 0 when none was, or i is out of range.
    std::uint32_t LineNumber(std::size_t i) const noexcept;

    // Bytes allocated for lines and positions.
    std::uint64_t AllocatedBytes() const noexcept;

private:
    static constexpr std::size_t ChunkBytes = std::size_t{1} << 20;    // shared chunk
    static constexpr std::size_t OwnChunkFrom = std::size_t{1} << 16;  // longer lines get a chunk of their own
    static constexpr std::size_t IndexBlockLines = std::size_t{1} << 16;
    static constexpr int OffsetBits = 40;

    struct Chunk {
        std::unique_ptr<char[]> bytes;
        std::size_t size;
    };
    char* Reserve(std::size_t bytes, std::uint64_t& position);

    std::uint64_t capacity_;
    std::uint64_t maxLines_;
    std::uint64_t used_ = 0; // accounting against capacity_
    std::size_t count_ = 0;
    std::vector<Chunk> chunks_;
    std::size_t shared_ = SIZE_MAX; // index of the chunk short lines go to
    std::size_t sharedUsed_ = 0;
    std::vector<std::unique_ptr<std::uint64_t[]>> index_; // blocks of line positions
    std::vector<std::unique_ptr<std::uint32_t[]>> numbers_; // blocks of line numbers, as index_
};

} // namespace quillo
