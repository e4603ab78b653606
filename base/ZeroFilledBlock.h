#pragma once
// A zero-filled block of memory that frees itself; asking for nothing is an
// out-of-memory error, as a failed allocation is.
#include <cstddef>
#include <memory>
#include <new>

namespace tessaly {

class ZeroFilledBlock {
public:
    explicit ZeroFilledBlock(long long size)
    {
        if (size <= 0)
            throw std::bad_alloc();
        data_ = std::make_unique<unsigned char[]>(static_cast<size_t>(size)); // value-initialised: zeros
        size_ = static_cast<size_t>(size);
    }

    unsigned char* data() noexcept { return data_.get(); }
    const unsigned char* data() const noexcept { return data_.get(); }
    size_t size() const noexcept { return size_; }

private:
    std::unique_ptr<unsigned char[]> data_;
    size_t size_ = 0;
};

} // namespace tessaly
