#pragma once
// Buffers handed from one thread to the next and back: a fixed set of them, so that a thread
// that runs ahead waits for the one after it, and memory never grows with the document.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

template <typename Buffer> class HandOff {
public:
    explicit HandOff(int buffers) : buffers_(std::size_t(buffers)) {
        for (Buffer &buffer : buffers_)
            free_.push_back(&buffer);
    }

    // For the side that fills them: a free buffer, once one is.
    Buffer *free() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !free_.empty(); });
        Buffer *buffer = free_.back();
        free_.pop_back();
        return buffer;
    }
    void fill(Buffer *buffer) {
        {
            const std::lock_guard lock(mutex_);
            filled_.push_back(buffer);
        }
        changed_.notify_all();
    }
    // No buffer follows.
    void close() {
        {
            const std::lock_guard lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
    }

    // For the side that empties them: the next one, or none after the last.
    Buffer *next() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !filled_.empty() || closed_; });
        if (filled_.empty())
            return nullptr;
        Buffer *buffer = filled_.front();
        filled_.pop_front();
        return buffer;
    }
    void release(Buffer *buffer) {
        {
            const std::lock_guard lock(mutex_);
            free_.push_back(buffer);
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Buffer> buffers_;
    std::vector<Buffer *> free_;
    std::deque<Buffer *> filled_;
    bool closed_ = false;
};
