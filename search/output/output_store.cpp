#include "search/output/output_store.h"

#include "search/failure.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

namespace quillo {
namespace {

constexpr std::size_t Align = OutputLineStore::BlockBytes;

std::size_t PageSize() noexcept
{
    static const std::size_t size = [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        return page > 0 ? static_cast<std::size_t>(page) : std::size_t{4096};
    }();
    return size;
}

// A block of bytes (a multiple of the page size) starting at a multiple of
// Align, so that each whole 2 MiB of it can become one huge page.
char* MapBlock(std::size_t bytes)
{
    const std::size_t span = bytes + Align;
    void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const auto from = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t start = (from + Align - 1) & ~static_cast<std::uintptr_t>(Align - 1);
    const std::size_t head = start - from;
    const std::size_t tail = span - head - bytes;
    if (head != 0)
        ::munmap(raw, head);
    if (tail != 0)
        ::munmap(reinterpret_cast<void*>(start + bytes), tail);
    return reinterpret_cast<char*>(start);
}

// A filled block offered for transparent huge pages: the kernel (khugepaged)
// folds each whole 2 MiB of it into one huge page in its own time, so the
// lines are read back through few TLB entries. It is advised only once
// filled: a huge page taken at the first touch is cleared and backed all at
// once, and where the memory was handed back to a virtual machine's host
// that took about 10 ms a fault, a stall a click waited for; filled in small
// pages the block costs the same spread over 512 faults.
void AdviseHugePages(void* block, std::size_t bytes) noexcept
{
#ifdef MADV_HUGEPAGE
    // Refused where the kernel has no huge pages: the block works as well.
    ::madvise(block, bytes, MADV_HUGEPAGE);
#else
    static_cast<void>(block);
    static_cast<void>(bytes);
#endif
}

} // namespace

OutputLineStore::OutputLineStore(std::uint64_t capacityBytes, std::uint64_t maxLines)
    : capacity_(capacityBytes), maxLines_(std::min(maxLines, MaxLines))
{
}

OutputLineStore::~OutputLineStore()
{
    Release();
}

OutputLineStore::OutputLineStore(OutputLineStore&& other) noexcept
    : capacity_(other.capacity_), maxLines_(other.maxLines_)
{
    *this = std::move(other);
}

OutputLineStore& OutputLineStore::operator=(OutputLineStore&& other) noexcept
{
    if (this == &other)
        return *this;
    Clear();
    capacity_ = other.capacity_;
    maxLines_ = other.maxLines_;
    used_ = std::exchange(other.used_, 0);
    count_ = std::exchange(other.count_, 0);
    chunkBytes_ = std::exchange(other.chunkBytes_, 0);
    chunks_ = std::exchange(other.chunks_, nullptr);
    shared_ = std::exchange(other.shared_, nullptr);
    free_ = std::exchange(other.free_, nullptr);
    freeBytes_ = std::exchange(other.freeBytes_, 0);
    indexBlocks_ = std::move(other.indexBlocks_);
    indexSlots_ = std::exchange(other.indexSlots_, 0);
    indexBlockCount_ = std::exchange(other.indexBlockCount_, 0);
    nextPosition_ = std::exchange(other.nextPosition_, nullptr);
    nextNumber_ = std::exchange(other.nextNumber_, nullptr);
    roomInBlock_ = std::exchange(other.roomInBlock_, 0);
    return *this;
}

std::uint64_t OutputLineStore::DefaultCapacity()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::uint64_t{1} << 31;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2;
}

char* OutputLineStore::Reserve(std::size_t bytes, bool& ownChunk)
{
    ownChunk = false;
    if (bytes <= freeBytes_) {
        char* at = free_;
        free_ += bytes;
        freeBytes_ -= bytes;
        return at;
    }
    // A long line that does not fit takes a chunk of its own and leaves the
    // shared chunk's rest to the lines after it.
    const bool own = bytes >= OwnChunkFrom;
    const std::size_t page = PageSize();
    const std::size_t mapped = own ? (sizeof(ChunkHead) + bytes + page - 1) / page * page : BlockBytes;
    char* block = MapBlock(mapped);
    chunks_ = new (block) ChunkHead{chunks_, mapped};
    chunkBytes_ += mapped;
    char* at = block + sizeof(ChunkHead);
    ownChunk = own;
    if (!own) {
        if (shared_)
            AdviseHugePages(shared_, BlockBytes);
        shared_ = block;
        free_ = at + bytes;
        freeBytes_ = mapped - sizeof(ChunkHead) - bytes;
    }
    return at;
}

void OutputLineStore::AddIndexBlock()
{
    if (!indexBlocks_) {
        indexSlots_ = static_cast<std::size_t>((maxLines_ + IndexBlockLines - 1) / IndexBlockLines);
        indexBlocks_ = std::make_unique_for_overwrite<char*[]>(indexSlots_);
    }
    if (indexBlockCount_ != 0)
        AdviseHugePages(indexBlocks_[indexBlockCount_ - 1], BlockBytes);
    char* block = MapBlock(BlockBytes);
    indexBlocks_[indexBlockCount_++] = block;
    nextPosition_ = reinterpret_cast<const char**>(block);
    nextNumber_ = Numbers(block);
    roomInBlock_ = IndexBlockLines;
}

void OutputLineStore::Append(std::string_view line, std::uint32_t lineNumber)
{
    if (!line.empty()) {
        if (const void* zero = std::memchr(line.data(), 0, line.size()))
            line = line.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - line.data()));
    }
    const std::uint64_t cost = line.size() + LineOverhead;
    if (count_ >= maxLines_ || cost > capacity_ - std::min(capacity_, used_))
        throw Failure(std::string(MsgUnableToInsertLine));

    if (roomInBlock_ == 0)
        AddIndexBlock();
    bool ownChunk;
    char* at = Reserve(line.size() + 1, ownChunk);
    if (!line.empty())
        std::memcpy(at, line.data(), line.size());
    at[line.size()] = '\0';
    if (ownChunk)
        AdviseHugePages(chunks_, chunks_->bytes);
    *nextPosition_++ = at;
    *nextNumber_++ = lineNumber;
    --roomInBlock_;
    ++count_;
    used_ += cost;
}

void OutputLineStore::Release() noexcept
{
    while (chunks_) {
        ChunkHead* chunk = chunks_;
        chunks_ = chunk->next;
        ::munmap(chunk, chunk->bytes);
    }
    for (std::size_t b = 0; b < indexBlockCount_; ++b)
        ::munmap(indexBlocks_[b], BlockBytes);
    indexBlocks_.reset();
}

void OutputLineStore::Clear() noexcept
{
    Release();
    used_ = 0;
    count_ = 0;
    chunkBytes_ = 0;
    shared_ = nullptr;
    free_ = nullptr;
    freeBytes_ = 0;
    indexSlots_ = 0;
    indexBlockCount_ = 0;
    nextPosition_ = nullptr;
    nextNumber_ = nullptr;
    roomInBlock_ = 0;
}

std::string_view OutputLineStore::Line(std::size_t i) const noexcept
{
    if (i >= count_)
        return {};
    const char* text = Positions(i / IndexBlockLines)[i % IndexBlockLines];
    return {text, std::strlen(text)};
}

std::uint32_t OutputLineStore::LineNumber(std::size_t i) const noexcept
{
    if (i >= count_)
        return 0;
    return Numbers(indexBlocks_[i / IndexBlockLines])[i % IndexBlockLines];
}

std::uint64_t OutputLineStore::AllocatedBytes() const noexcept
{
    return chunkBytes_ + indexBlockCount_ * std::uint64_t{BlockBytes} +
           (indexBlocks_ ? indexSlots_ * sizeof(char*) : 0);
}

} // namespace quillo
