#include "standins/wab/WabBuffers.h"

#include "destinations/outlook_express/WabCode.h"

#include <cstdlib>
#include <cstring>

namespace wabstandin {

namespace {
constexpr DWORD kRootMark = 0x544F4F52;  // a live root block
constexpr DWORD kMoreMark = 0x45524F4D;  // a block owned by a root
constexpr DWORD kFreedMark = 0x44454546; // catches a second free
} // namespace

struct BufferHeap::Block {
    DWORD mark;
    Block* next; // the chain of blocks owned by a root
    double align; // keeps the data 8-byte aligned like the library's own buffers
};

BufferHeap::~BufferHeap() = default;

BufferHeap::Block* BufferHeap::HeaderOf(void* buffer)
{
    return reinterpret_cast<Block*>(static_cast<char*>(buffer) - sizeof(Block));
}

HRESULT BufferHeap::Allocate(ULONG size, void** buffer)
{
    if (!buffer)
        return MAPI_E_INVALID_PARAMETER;
    auto* block = static_cast<Block*>(std::calloc(1, sizeof(Block) + size));
    if (!block)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    block->mark = kRootMark;
    block->next = nullptr;
    *buffer = block + 1;
    ++liveRoots_;
    return S_OK;
}

HRESULT BufferHeap::AllocateMore(ULONG size, void* root, void** buffer)
{
    if (!buffer || !root || HeaderOf(root)->mark != kRootMark)
        return MAPI_E_INVALID_PARAMETER;
    auto* block = static_cast<Block*>(std::calloc(1, sizeof(Block) + size));
    if (!block)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    Block* owner = HeaderOf(root);
    block->mark = kMoreMark;
    block->next = owner->next;
    owner->next = block;
    *buffer = block + 1;
    return S_OK;
}

HRESULT BufferHeap::Free(void* buffer)
{
    if (!buffer)
        return S_OK;
    Block* root = HeaderOf(buffer);
    if (root->mark != kRootMark)
        return MAPI_E_INVALID_PARAMETER;
    Block* more = root->next;
    while (more) {
        Block* next = more->next;
        more->mark = kFreedMark;
        std::free(more);
        more = next;
    }
    root->mark = kFreedMark;
    std::free(root);
    --liveRoots_;
    return S_OK;
}

char* BufferHeap::CopyText(const char* text, void* root)
{
    const size_t length = std::strlen(text);
    void* copy = nullptr;
    if (FAILED(AllocateMore(static_cast<ULONG>(length + 1), root, &copy)))
        return nullptr;
    std::memcpy(copy, text, length + 1);
    return static_cast<char*>(copy);
}

BYTE* BufferHeap::CopyBytes(const BYTE* bytes, ULONG size, void* root)
{
    void* copy = nullptr;
    if (FAILED(AllocateMore(size ? size : 1, root, &copy)))
        return nullptr;
    if (size)
        std::memcpy(copy, bytes, size);
    return static_cast<BYTE*>(copy);
}

} // namespace wabstandin
