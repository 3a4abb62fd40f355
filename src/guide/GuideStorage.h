#pragma once
// How a guide is kept: fixed records for programmes and channels, and every distinct text once,
// UTF-8, in blocks of a few mebibytes filled in turn, so that a guide of millions of programmes
// grows without ever holding two copies of its texts.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// An array of plain records that grows where it is when it can (realloc), so that growing a large
// one never holds it twice, and whose room not yet used takes no memory until it is.
template <typename T> class PlainArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PlainArray() = default;
    ~PlainArray() { std::free(data_); }
    PlainArray(PlainArray &&other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    PlainArray &operator=(PlainArray &&other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        return *this;
    }

    T *data() { return data_; }
    const T *data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    T &operator[](std::size_t at) { return data_[at]; }
    const T &operator[](std::size_t at) const { return data_[at]; }

    T &emplace_back() {
        if (size_ == capacity_)
            reserve(capacity_ < 64 ? 64 : capacity_ * 2);
        return *new (data_ + size_++) T{};
    }
    void push_back(const T &value) { emplace_back() = value; }
    void append(const T *values, std::size_t count) {
        if (size_ + count > capacity_)
            reserve(std::max(size_ + count, capacity_ * 2));
        std::memcpy(static_cast<void *>(data_ + size_), values, count * sizeof(T));
        size_ += count;
    }
    // New elements are value-initialised.
    void resize(std::size_t size) {
        reserve(size);
        for (std::size_t at = size_; at < size; ++at)
            new (data_ + at) T{};
        size_ = size;
    }
    void reserve(std::size_t capacity) {
        if (capacity > capacity_)
            reallocate(capacity);
    }
    void shrink_to_fit() {
        if (capacity_ > size_)
            reallocate(size_);
    }
    void clear() { *this = PlainArray(); }

private:
    void reallocate(std::size_t capacity) {
        if (capacity == 0) {
            std::free(data_);
            data_ = nullptr;
        } else {
            void *moved = std::realloc(data_, capacity * sizeof(T));
            if (moved == nullptr)
                throw std::bad_alloc();
            data_ = static_cast<T *>(moved);
        }
        capacity_ = capacity;
    }

    T *data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// A programme: its times and its texts, each an index into the guide's texts (0: none), and its
// categories, an index into the guide's lists of texts (0: none).
struct GuideRecord {
    qint64 start = 0;
    qint64 stop = 0;
    qint32 title = 0;
    qint32 subTitle = 0;
    qint32 description = 0;
    qint32 episode = 0;
    qint32 icon = 0;
    qint32 categories = 0;
};
static_assert(sizeof(GuideRecord) == 40);

struct GuideChannel {
    qint32 id = 0;   // text index; the id as first written
    qint32 icon = 0; // text index
    std::vector<qint32> displayNames;
    qint32 first = 0; // its programmes: [first, end)
    qint32 end = 0;
};

// Byte strings, each at an index; index 0 is the empty one.
class GuideTexts {
public:
    GuideTexts();

    qsizetype size() const { return qsizetype(refs_.size()); }
    QByteArrayView at(qint32 index) const {
        const quint64 ref = refs_[std::size_t(index)];
        if (ref == 0)
            return {};
        const quint64 offset = ref >> LengthBits;
        return {blocks_[offset >> BlockBits].data() + (offset & (BlockBytes - 1)),
                qsizetype(ref & MaxLength)};
    }
    std::size_t memoryBytes() const;

    // The longest text kept; longer ones are cut (at a character's start).
    static constexpr qsizetype MaxLength = 0xffff;

    // Appends a text and returns its index; the caller makes sure it is not there yet.
    qint32 append(QByteArrayView bytes);
    // Gives back what was set aside for texts still to come.
    void compact();

private:
    static constexpr int LengthBits = 16;
    static constexpr int BlockBits = 22;
    static constexpr quint64 BlockBytes = quint64(1) << BlockBits;

    // Full blocks, and the last one, which grows by doubling until it is full too.
    std::vector<PlainArray<char>> blocks_;
    PlainArray<quint64> refs_; // offset << LengthBits | length
};

// What channel ids are told apart by: the id with its case folded, UTF-8.
QByteArray channelKey(QByteArrayView id);
