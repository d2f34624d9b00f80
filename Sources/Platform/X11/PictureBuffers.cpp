// SPDX-License-Identifier: MIT
// PictureBuffers.cpp: taking the smallest returned buffer that holds a picture, and returning
// buffers when their last picture goes.
#include "Platform/X11/PictureBuffers.h"

#include <algorithm>

namespace platform::x11 {

namespace {
// A returned buffer is given to a picture only when it is at most this many times larger.
constexpr std::size_t kMostWaste = 2;
}  // namespace

PictureBuffers::PictureBuffers(std::size_t kept) : shelf_(std::make_shared<Shelf>()) { shelf_->kept = kept; }

std::shared_ptr<PictureBuffers::Buffer> PictureBuffers::take(std::size_t count) {
    std::unique_ptr<Buffer> buffer;
    {
        std::lock_guard lock(shelf_->mutex);
        auto& buffers = shelf_->buffers;
        auto best = buffers.end();
        for (auto it = buffers.begin(); it != buffers.end(); ++it) {
            const std::size_t capacity = (*it)->capacity();
            // A small picture does not hold on to a buffer many times its size.
            if (capacity < count || capacity / kMostWaste > count) continue;
            if (best == buffers.end() || capacity < (*best)->capacity()) best = it;
        }
        if (best != buffers.end()) {
            buffer = std::move(*best);
            buffers.erase(best);
        }
    }
    if (buffer)
        buffer->resize(count);  // within its capacity: no new memory
    else
        buffer = std::make_unique<Buffer>(count);
    // The shelf may be gone by the time the picture goes (the capture service ended first).
    const std::weak_ptr<Shelf> shelf = shelf_;
    return {buffer.release(), [shelf](Buffer* returned) {
                std::unique_ptr<Buffer> owned(returned);
                if (const auto alive = shelf.lock()) alive->put(std::move(owned));
            }};
}

void PictureBuffers::Shelf::put(std::unique_ptr<Buffer> buffer) {
    std::lock_guard lock(mutex);
    if (buffers.size() < kept) {
        buffers.push_back(std::move(buffer));
        return;
    }
    // Full: keep the larger buffers, they can hold any picture the smaller ones could.
    const auto smallest = std::min_element(buffers.begin(), buffers.end(), [](const auto& a, const auto& b) {
        return a->capacity() < b->capacity();
    });
    if (smallest != buffers.end() && (*smallest)->capacity() < buffer->capacity()) *smallest = std::move(buffer);
}

}  // namespace platform::x11
