// SPDX-License-Identifier: MIT
// PictureBuffers: the pixel buffers of captured pictures. A buffer comes back here when the last
// picture that used it is gone and is given out again for the next picture that fits in it, so
// a picture pass every few seconds reuses memory it already touched instead of asking the
// kernel for fresh pages (and faulting every one of them in) for each window it reads.
// Safe from any thread: a picture may be dropped on another thread than the one it was taken on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::x11 {

class PictureBuffers {
public:
    using Buffer = std::vector<std::uint32_t>;

    // Keeps at most `kept` returned buffers, the largest; a buffer returned beyond that is freed.
    // A pass over a few windows of different sizes returns each picture's buffer only after the
    // next picture was taken, so a few are kept for the buffers to go round.
    explicit PictureBuffers(std::size_t kept = 4);

    // A buffer of exactly `count` pixels: a returned one at most twice that size when there is
    // one (its contents are left from its last use: the caller writes every pixel), else a new
    // one. It comes back here when the last copy of the pointer goes.
    std::shared_ptr<Buffer> take(std::size_t count);

private:
    struct Shelf {
        std::mutex mutex;
        std::vector<std::unique_ptr<Buffer>> buffers;
        std::size_t kept = 0;
        void put(std::unique_ptr<Buffer> buffer);
    };
    std::shared_ptr<Shelf> shelf_;
};

}  // namespace platform::x11
