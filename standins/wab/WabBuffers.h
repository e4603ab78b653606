#pragma once
// Library buffers: AllocateMore blocks hang off their root buffer and go with it, so
// one FreeBuffer of the root releases a whole row or property array.
#include <windows.h>

namespace wabstandin {

class BufferHeap {
public:
    BufferHeap() = default;
    BufferHeap(const BufferHeap&) = delete;
    BufferHeap& operator=(const BufferHeap&) = delete;
    ~BufferHeap();

    HRESULT Allocate(ULONG size, void** buffer);
    HRESULT AllocateMore(ULONG size, void* root, void** buffer);
    // Freeing nothing succeeds; a pointer that is not a live root buffer is refused.
    HRESULT Free(void* buffer);
    LONG LiveRoots() const { return liveRoots_; }

    // Copies into a block that hangs off `root`.
    char* CopyText(const char* text, void* root);
    BYTE* CopyBytes(const BYTE* bytes, ULONG size, void* root);

private:
    struct Block;
    static Block* HeaderOf(void* buffer);
    LONG liveRoots_ = 0;
};

} // namespace wabstandin
