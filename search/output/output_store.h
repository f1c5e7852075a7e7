// The output list's lines, held compactly: the bytes of all lines in chunks of
// 2 MiB, each line ended by a zero byte, and per line its address and its line
// number in blocks of an index.
//
// Chunks and index blocks are mapped 2 MiB-aligned and, once filled, offered
// to the kernel for transparent huge pages (see AdviseHugePages). Nothing stored ever moves: a line stays where it was
// written until Clear, and no append copies the chunks or the index. A line is
// copied once, from where the caller holds it into its chunk.
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
    // The size and alignment of a chunk and of an index block.
    static constexpr std::size_t BlockBytes = std::size_t{1} << 21;

    // capacityBytes: what the store may hold (line bytes plus its own
    // overhead) before it refuses lines; see DefaultCapacity().
    explicit OutputLineStore(std::uint64_t capacityBytes = DefaultCapacity(), std::uint64_t maxLines = MaxLines);
    ~OutputLineStore();
    OutputLineStore(OutputLineStore&& other) noexcept;
    OutputLineStore& operator=(OutputLineStore&& other) noexcept;
    OutputLineStore(const OutputLineStore&) = delete;
    OutputLineStore& operator=(const OutputLineStore&) = delete;

    // Half of the machine's physical memory.
    static std::uint64_t DefaultCapacity();

    // Appends a line, held up to its first zero byte, with the number of the
    // line in its file (0: none). Raises the failure "Unable to insert a line"
    // when the store is full.
    void Append(std::string_view line, std::uint32_t lineNumber);
    void Append(std::string_view line) { Append(line, 0); }
    void Clear() noexcept;

    std::size_t Count() const noexcept { return count_; }
    bool Empty() const noexcept { return count_ == 0; }
    // Valid until Clear; appending more lines leaves it in place.
    std::string_view Line(std::size_t i) const noexcept;
    // The number given with line i; 0 for a line out of range.
    std::uint32_t LineNumber(std::size_t i) const noexcept;

    // Bytes allocated for lines, positions, line numbers and the directory of
    // index blocks.
    std::uint64_t AllocatedBytes() const noexcept;

private:
    // Longer lines get a chunk of their own; shorter ones never leave more
    // than this unused at the end of a chunk.
    static constexpr std::size_t OwnChunkFrom = std::size_t{1} << 16;
    // An index block: the lines' addresses, then their numbers.
    static constexpr std::size_t IndexBlockLines = BlockBytes / (sizeof(const char*) + sizeof(std::uint32_t));
    // What a line costs against the capacity besides its bytes.
    static constexpr std::size_t LineOverhead = 1 + sizeof(const char*) + sizeof(std::uint32_t);

    // The start of every chunk: chunks form a list, newest first.
    struct ChunkHead {
        ChunkHead* next;
        std::size_t bytes; // mapped, this head included
    };

    // ownChunk: the bytes got a chunk of their own.
    char* Reserve(std::size_t bytes, bool& ownChunk);
    void AddIndexBlock();
    void Release() noexcept;

    const char* const* Positions(std::size_t block) const noexcept
    {
        return reinterpret_cast<const char* const*>(indexBlocks_[block]);
    }
    static std::uint32_t* Numbers(char* block) noexcept
    {
        return reinterpret_cast<std::uint32_t*>(block + IndexBlockLines * sizeof(const char*));
    }

    std::uint64_t capacity_;
    std::uint64_t maxLines_;
    std::uint64_t used_ = 0; // accounting against capacity_
    std::size_t count_ = 0;
    std::uint64_t chunkBytes_ = 0; // mapped for chunks

    ChunkHead* chunks_ = nullptr; // the newest chunk
    char* shared_ = nullptr;      // the chunk short lines go to
    char* free_ = nullptr;        // the unused rest of the newest shared chunk
    std::size_t freeBytes_ = 0;

    // The directory of index blocks, sized once for maxLines_ at the first
    // line: it never grows, so no block's address ever moves.
    std::unique_ptr<char*[]> indexBlocks_;
    std::size_t indexSlots_ = 0;  // the directory's size
    std::size_t indexBlockCount_ = 0;
    const char** nextPosition_ = nullptr; // where the next line's address goes
    std::uint32_t* nextNumber_ = nullptr;
    std::size_t roomInBlock_ = 0;
};

} // namespace quillo
