#pragma once

// The catalogue list of effect ids and, at the same positions, the paths of
// their files.
//
// Threads: every operation takes the vector's recursive lock for its access
// and gives it back before it returns, so a vector may be shared between
// threads. Texts handed out (operator[], Get, GetPath, begin, end) point into
// the vector and stay valid only while no thread removes, replaces, clears or
// resizes.

#include "sfx/SfxExport.h"

#include <cstddef>
#include <mutex>
#include <string>

namespace vand::audio::sfx {

class SFX_EXPORT SfxVector
{
public:
    // Returned by Find when no entry has the id.
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    SfxVector();
    SfxVector(const SfxVector& other);
    // The source is left with count 0, capacity 0 and no arrays.
    SfxVector(SfxVector&& other) noexcept;
    SfxVector& operator=(const SfxVector& other);
    SfxVector& operator=(SfxVector&& other) noexcept;
    ~SfxVector();

    // Same ids in the same order; paths are not compared.
    bool operator==(const SfxVector& other) const;

    // No range test.
    const char* operator[](std::size_t index) const;

    // Appends a copy of the id, growing to twice the capacity (or one slot
    // from none) when full. The entry has no path until SetPath.
    void Add(const std::string& id);
    std::size_t Capacity() const;
    std::size_t Count() const;
    void Clear();
    std::size_t Find(const std::string& id) const;
    // std::out_of_range for an index not below the count.
    const char* Get(std::size_t index) const;
    const char* GetPath(std::size_t index) const;
    void SetPath(std::size_t index, const std::string& path);
    void Remove(std::size_t index);
    // std::invalid_argument "Sfx not found" when no entry has the id.
    void Remove(const std::string& id);
    // Replaces both arrays by arrays of the new capacity, never fewer slots
    // than the count. std::invalid_argument "Size is too large" for a size no
    // array can have.
    void Resize(std::size_t capacity);
    void ShrinkToFit();

    const char* const* begin() const;
    const char* const* cbegin() const;
    const char* const* end() const;
    const char* const* cend() const;

private:
    void release();
    void swapWith(SfxVector& other);

    std::size_t sfxCount_ = 0;
    std::size_t capacity_ = 0;
    mutable std::recursive_mutex mutex_;
    char** ids_ = nullptr;
    char** paths_ = nullptr;
};

} // namespace vand::audio::sfx
