// SPDX-License-Identifier: MIT
// Reply: the answer to one X request taken with a bounded wait: the reply, or the X error the
// server sent for it, or neither when the wait timed out or the connection broke.
#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform::x11 {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

template <class T>
using XPtr = std::unique_ptr<T, FreeDeleter>;

enum class ReplyStatus {
    answered,  // the reply is there
    xError,    // the server answered with an error
    timedOut,  // no answer before the deadline
    lost,      // the connection is broken
};

template <class T>
struct Reply {
    XPtr<T> value;
    XPtr<xcb_generic_error_t> error;
    ReplyStatus status = ReplyStatus::lost;

    explicit operator bool() const { return value != nullptr; }
    T* operator->() const { return value.get(); }
    T& operator*() const { return *value; }
    // The X error code, 0 when there is none.
    int errorCode() const { return error ? error->error_code : 0; }
};

}  // namespace platform::x11
