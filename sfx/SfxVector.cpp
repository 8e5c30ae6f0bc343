#include "sfx/SfxVector.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace vand::audio::sfx {

namespace {

constexpr std::size_t kInitialCapacity = 5;
// More slots than any array of pointers can have (a negative count read as a
// size lands here too).
constexpr std::size_t kMaxCapacity =
    static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max()) / sizeof(char*);

using Lock = std::lock_guard<std::recursive_mutex>;

char* copyText(const char* text)
{
    if (!text)
        return nullptr;
    const std::size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

// Frees both arrays and every text in them; unused slots are null.
void destroy(char** ids, char** paths, std::size_t capacity)
{
    for (std::size_t i = 0; i < capacity; ++i) {
        delete[] ids[i];
        delete[] paths[i];
    }
    delete[] ids;
    delete[] paths;
}

// A pair of null-filled arrays that frees what it still holds, so a failure
// half-way through filling them leaks nothing.
struct Arrays
{
    explicit Arrays(std::size_t slots)
        : capacity(slots)
    {
        if (capacity == 0)
            return;
        ids = new char*[capacity]();
        try {
            paths = new char*[capacity]();
        } catch (...) {
            delete[] ids;
            throw;
        }
    }
    ~Arrays() { destroy(ids, paths, ids ? capacity : 0); }
    Arrays(const Arrays&) = delete;
    Arrays& operator=(const Arrays&) = delete;

    char** ids = nullptr;
    char** paths = nullptr;
    std::size_t capacity = 0;
};

} // namespace

SfxVector::SfxVector()
{
    Arrays arrays(kInitialCapacity);
    capacity_ = kInitialCapacity;
    ids_ = std::exchange(arrays.ids, nullptr);
    paths_ = std::exchange(arrays.paths, nullptr);
}

SfxVector::SfxVector(const SfxVector& other)
{
    Lock lock(other.mutex_);
    Arrays arrays(other.capacity_);
    for (std::size_t i = 0; i < other.sfxCount_; ++i) {
        arrays.ids[i] = copyText(other.ids_[i]);
        arrays.paths[i] = copyText(other.paths_[i]);
    }
    sfxCount_ = other.sfxCount_;
    capacity_ = other.capacity_;
    ids_ = std::exchange(arrays.ids, nullptr);
    paths_ = std::exchange(arrays.paths, nullptr);
}

SfxVector::SfxVector(SfxVector&& other) noexcept
{
    Lock lock(other.mutex_);
    sfxCount_ = std::exchange(other.sfxCount_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    ids_ = std::exchange(other.ids_, nullptr);
    paths_ = std::exchange(other.paths_, nullptr);
}

SfxVector& SfxVector::operator=(const SfxVector& other)
{
    if (this == &other)
        return *this;
    SfxVector copy(other);
    // The former contents leave with `copy`.
    Lock lock(mutex_);
    swapWith(copy);
    return *this;
}

SfxVector& SfxVector::operator=(SfxVector&& other) noexcept
{
    if (this == &other)
        return *this;
    std::scoped_lock lock(mutex_, other.mutex_);
    release();
    sfxCount_ = std::exchange(other.sfxCount_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    ids_ = std::exchange(other.ids_, nullptr);
    paths_ = std::exchange(other.paths_, nullptr);
    return *this;
}

SfxVector::~SfxVector()
{
    release();
}

void SfxVector::release()
{
    destroy(ids_, paths_, ids_ ? capacity_ : 0);
    ids_ = nullptr;
    paths_ = nullptr;
    sfxCount_ = 0;
    capacity_ = 0;
}

void SfxVector::swapWith(SfxVector& other)
{
    std::swap(sfxCount_, other.sfxCount_);
    std::swap(capacity_, other.capacity_);
    std::swap(ids_, other.ids_);
    std::swap(paths_, other.paths_);
}

bool SfxVector::operator==(const SfxVector& other) const
{
    if (this == &other)
        return true;
    std::scoped_lock lock(mutex_, other.mutex_);
    if (sfxCount_ != other.sfxCount_)
        return false;
    for (std::size_t i = 0; i < sfxCount_; ++i) {
        if (std::strcmp(ids_[i], other.ids_[i]) != 0)
            return false;
    }
    return true;
}

const char* SfxVector::operator[](std::size_t index) const
{
    Lock lock(mutex_);
    return ids_[index];
}

void SfxVector::Add(const std::string& id)
{
    Lock lock(mutex_);
    if (sfxCount_ == capacity_)
        Resize(capacity_ == 0 ? 1 : capacity_ * 2);
    ids_[sfxCount_] = copyText(id.c_str());
    ++sfxCount_;
}

std::size_t SfxVector::Capacity() const
{
    Lock lock(mutex_);
    return capacity_;
}

std::size_t SfxVector::Count() const
{
    Lock lock(mutex_);
    return sfxCount_;
}

void SfxVector::Clear()
{
    Lock lock(mutex_);
    for (std::size_t i = 0; i < sfxCount_; ++i) {
        delete[] std::exchange(ids_[i], nullptr);
        delete[] std::exchange(paths_[i], nullptr);
    }
    sfxCount_ = 0;
}

std::size_t SfxVector::Find(const std::string& id) const
{
    Lock lock(mutex_);
    for (std::size_t i = 0; i < sfxCount_; ++i) {
        if (id == ids_[i])
            return i;
    }
    return npos;
}

const char* SfxVector::Get(std::size_t index) const
{
    Lock lock(mutex_);
    if (index >= sfxCount_)
        throw std::out_of_range("Index out of range from SfxVector::Get(const size_t) const");
    return ids_[index];
}

const char* SfxVector::GetPath(std::size_t index) const
{
    Lock lock(mutex_);
    if (index >= sfxCount_) {
        throw std::out_of_range("Index out of range from SfxVector::GetPath(" + std::to_string(index)
                                + ") const with an sfxCount_ of " + std::to_string(sfxCount_));
    }
    return paths_[index];
}

void SfxVector::SetPath(std::size_t index, const std::string& path)
{
    Lock lock(mutex_);
    if (index >= sfxCount_)
        throw std::out_of_range("Index out of range from SfxVector::SetPath(const size_t, char*)");
    char* copy = copyText(path.c_str());
    delete[] std::exchange(paths_[index], copy);
}

void SfxVector::Remove(std::size_t index)
{
    Lock lock(mutex_);
    if (index >= sfxCount_)
        throw std::out_of_range("Index out of range from SfxVector::Remove(const size_t)");
    delete[] ids_[index];
    delete[] paths_[index];
    for (std::size_t i = index + 1; i < sfxCount_; ++i) {
        ids_[i - 1] = ids_[i];
        paths_[i - 1] = paths_[i];
    }
    --sfxCount_;
    ids_[sfxCount_] = nullptr;
    paths_[sfxCount_] = nullptr;
}

void SfxVector::Remove(const std::string& id)
{
    Lock lock(mutex_);
    const std::size_t index = Find(id);
    if (index == npos)
        throw std::invalid_argument("Sfx not found");
    Remove(index);
}

void SfxVector::Resize(std::size_t capacity)
{
    if (capacity > kMaxCapacity)
        throw std::invalid_argument("Size is too large");
    Lock lock(mutex_);
    // Never drops entries: fewer slots than entries means as many as entries.
    if (capacity < sfxCount_)
        capacity = sfxCount_;
    Arrays arrays(capacity);
    for (std::size_t i = 0; i < sfxCount_; ++i) {
        arrays.ids[i] = ids_[i];
        arrays.paths[i] = paths_[i];
    }
    delete[] ids_;
    delete[] paths_;
    ids_ = std::exchange(arrays.ids, nullptr);
    paths_ = std::exchange(arrays.paths, nullptr);
    capacity_ = capacity;
}

void SfxVector::ShrinkToFit()
{
    Lock lock(mutex_);
    Resize(sfxCount_);
}

const char* const* SfxVector::begin() const
{
    Lock lock(mutex_);
    return ids_;
}

const char* const* SfxVector::cbegin() const
{
    return begin();
}

const char* const* SfxVector::end() const
{
    Lock lock(mutex_);
    return ids_ ? ids_ + sfxCount_ : ids_;
}

const char* const* SfxVector::cend() const
{
    return end();
}

} // namespace vand::audio::sfx
