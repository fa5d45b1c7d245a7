#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "foundation/DRefCount.h"

namespace mirel {

// The counted handle: a count block and the element the handle designates. A handle is null
// (both words null), owning (the allocation is shared by every handle with the same block) or
// non-owning (no block: it refers to memory it does not own, which it never frees). An owned
// allocation is always an array, also for one object. Counts are atomic, so handles to one
// allocation may be copied and dropped on several threads.
template <class T>
class rcptr {
public:
    rcptr() noexcept = default;
    rcptr(std::nullptr_t) noexcept {}
    rcptr(const rcptr& source) noexcept : rc_(source.rc_), p_(source.p_) { AddRef(); }
    rcptr(rcptr&& source) noexcept : rc_(source.rc_), p_(source.p_) { source.Forget(); }

    // A handle to a base class (or to void) from a handle to a derived class.
    template <class U>
    requires std::is_convertible_v<U*, T*> rcptr(const rcptr<U>& source)
    noexcept : rc_(source.rc_), p_(source.p_) { AddRef(); }
    template <class U>
    requires std::is_convertible_v<U*, T*> rcptr(rcptr<U>&& source)
    noexcept : rc_(source.rc_), p_(source.p_) { source.Forget(); }

    ~rcptr() { Release(); }

    rcptr& operator=(const rcptr& source) noexcept {
        Assign(source);
        return *this;
    }
    rcptr& operator=(rcptr&& source) noexcept {
        Adopt(source);
        return *this;
    }

    // A handle to memory it does not own (a literal, a foreign pixel buffer).
    static rcptr NonOwning(T* p) noexcept {
        rcptr h;
        h.p_ = p;
        return h;
    }

    // Drops this handle's reference and becomes null.
    void Reset() noexcept {
        Release();
        Forget();
    }

    // Takes a reference to the source's allocation; assigning a handle to itself keeps it alive.
    void Assign(const rcptr& source) noexcept {
        if (source.rc_) DRefCountAdd(source.rc_);
        Release();
        rc_ = source.rc_;
        p_ = source.p_;
    }

    // Takes over the source's reference without adding one; the source becomes null.
    void Adopt(rcptr& source) noexcept {
        if (&source == this) return;
        Release();
        rc_ = source.rc_;
        p_ = source.p_;
        source.Forget();
    }

    // Drops the old allocation, then owns an array of one value-initialised T.
    void Create() requires(!std::is_void_v<T>) {
        Reset();
        Own([] { return new Element[1](); });
    }

    // Drops the old allocation, then owns an array of n default-initialised T (uninitialised
    // for plain types). n = 0 leaves the handle null.
    void Allocate(size_t n) requires(!std::is_void_v<T>) {
        Reset();
        if (n > 0) Own([n] { return new Element[n]; });
    }

    // A counted handle into the same allocation, advanced by n elements.
    rcptr CopyOffset(ptrdiff_t n) const requires(!std::is_void_v<T>) {
        rcptr h(*this);
        h.p_ += n;
        return h;
    }

    // A counted handle to the same allocation seen as U (void to the element type, or base to
    // derived); the caller vouches for the type.
    template <class U>
    rcptr<U> As() const noexcept {
        rcptr<U> h;
        h.rc_ = rc_;
        h.p_ = static_cast<U*>(p_);
        AddRef();
        return h;
    }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    template <class U = T>
    requires(!std::is_void_v<U>) U& operator*() const noexcept { return *p_; }
    template <class U = T>
    requires(!std::is_void_v<U>) U& operator[](ptrdiff_t i) const noexcept { return p_[i]; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Owners of the allocation (0 for a null or non-owning handle).
    int32_t UseCount() const noexcept {
        return rc_ ? rc_->count.load(std::memory_order_relaxed) : 0;
    }

    // Two handles are equal when they designate the same element.
    friend bool operator==(const rcptr& a, const rcptr& b) noexcept { return a.p_ == b.p_; }
    friend bool operator==(const rcptr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

private:
    template <class U>
    friend class rcptr;

    using Element = std::remove_cv_t<T>;

    static void DestroyArray(void* object) { delete[] static_cast<Element*>(object); }

    // Owns the array that makeArray returns. The count block is taken first, so a failure
    // of either allocation leaves nothing behind.
    template <class MakeArray>
    void Own(MakeArray makeArray) {
        DRefCount* rc = DRefCountNew(nullptr, &DestroyArray);
        try {
            p_ = makeArray();
        } catch (...) {
            DRefCountDiscard(rc);
            throw;
        }
        rc->object = p_;
        rc_ = rc;
    }

    void AddRef() const noexcept {
        if (rc_) DRefCountAdd(rc_);
    }
    // Drops the reference but leaves both words as they are: only for the destructor and
    // before the words are overwritten, or a second release would free twice.
    void Release() noexcept {
        if (rc_) DRefCountRelease(rc_);
    }
    void Forget() noexcept {
        rc_ = nullptr;
        p_ = nullptr;
    }

    DRefCount* rc_ = nullptr;
    T* p_ = nullptr;
};

// The untyped handle (list nodes hold their values in it). Its last release still destroys
// the elements as their real type, through the count block.
using rcptr_holder = rcptr<void>;

}  // namespace mirel
