#include "output_store.h"

#include "failure.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace quillo {

OutputLineStore::OutputLineStore(std::uint64_t capacityBytes, std::uint64_t maxLines)
    : capacity_(capacityBytes), maxLines_(std::min(maxLines, MaxLines))
{
}

std::uint64_t OutputLineStore::DefaultCapacity()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::uint64_t{1} << 31;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2;
}

char* OutputLineStore::Reserve(std::size_t bytes, std::uint64_t& position)
{
    if (bytes >= OwnChunkFrom) {
        chunks_.push_back({std::make_unique_for_overwrite<char[]>(bytes), bytes});
        position = static_cast<std::uint64_t>(chunks_.size() - 1) << OffsetBits;
        return chunks_.back().bytes.get();
    }
    if (shared_ == SIZE_MAX || ChunkBytes - sharedUsed_ < bytes) {
        chunks_.push_back({std::make_unique_for_overwrite<char[]>(ChunkBytes), ChunkBytes});
        shared_ = chunks_.size() - 1;
        sharedUsed_ = 0;
    }
    position = (static_cast<std::uint64_t>(shared_) << OffsetBits) | sharedUsed_;
    char* at = chunks_[shared_].bytes.get() + sharedUsed_;
    sharedUsed_ += bytes;
    return at;
}

void OutputLineStore::Append(std::string_view line, std::uint32_t lineNumber)
{
    if (const void* zero = std::memchr(line.data(), 0, line.size()))
        line = line.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - line.data()));
    const std::uint64_t cost = line.size() + 1 + sizeof(std::uint64_t) + sizeof(std::uint32_t);
    if (count_ >= maxLines_ || cost > capacity_ - std::min(capacity_, used_))
        throw Failure(std::string(MsgUnableToInsertLine));

    if (count_ % IndexBlockLines == 0 && count_ / IndexBlockLines == index_.size()) {
        // Both blocks or neither.
        auto positions = std::make_unique_for_overwrite<std::uint64_t[]>(IndexBlockLines);
        auto numbers = std::make_unique_for_overwrite<std::uint32_t[]>(IndexBlockLines);
        index_.reserve(index_.size() + 1);
        numbers_.reserve(numbers_.size() + 1);
        index_.push_back(std::move(positions));
        numbers_.push_back(std::move(numbers));
    }
    std::uint64_t position;
    char* at = Reserve(line.size() + 1, position);
    std::memcpy(at, line.data(), line.size());
    at[line.size()] = '\0';
    index_[count_ / IndexBlockLines][count_ % IndexBlockLines] = position;
    numbers_[count_ / IndexBlockLines][count_ % IndexBlockLines] = lineNumber;
    ++count_;
    used_ += cost;
}

void OutputLineStore::Clear() noexcept
{
    chunks_.clear();
    chunks_.shrink_to_fit();
    index_.clear();
    index_.shrink_to_fit();
    numbers_.clear();
    numbers_.shrink_to_fit();
    shared_ = SIZE_MAX;
    sharedUsed_ = 0;
    count_ = 0;
    used_ = 0;
}

std::string_view OutputLineStore::Line(std::size_t i) const noexcept
{
    if (i >= count_)
        return {};
    const std::uint64_t position = index_[i / IndexBlockLines][i % IndexBlockLines];
    const Chunk& chunk = chunks_[position >> OffsetBits];
    const char* text = chunk.bytes.get() + (position & ((std::uint64_t{1} << OffsetBits) - 1));
    return {text, std::strlen(text)};
}

std::uint32_t OutputLineStore::LineNumber(std::size_t i) const noexcept
{
    return i < count_ ? numbers_[i / IndexBlockLines][i % IndexBlockLines] : 0;
}

std::uint64_t OutputLineStore::AllocatedBytes() const noexcept
{
    std::uint64_t bytes = index_.size() * IndexBlockLines * sizeof(std::uint64_t) +
                          numbers_.size() * IndexBlockLines * sizeof(std::uint32_t) +
                          index_.capacity() * sizeof(index_[0]) + numbers_.capacity() * sizeof(numbers_[0]) +
                          chunks_.capacity() * sizeof(Chunk);
    for (const Chunk& chunk : chunks_)
        bytes += chunk.size;
    return bytes;
}

} // namespace quillo
