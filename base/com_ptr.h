#pragma once
// A minimal owner of one COM interface reference.

#include <unknwn.h>

#include <utility>

namespace pelrin {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr& other) noexcept : m_ptr(other.m_ptr)
    {
        if (m_ptr)
            m_ptr->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* ptr) noexcept
    {
        ComPtr result;
        result.m_ptr = ptr;
        return result;
    }

    T* get() const noexcept { return m_ptr; }
    T* operator->() const noexcept { return m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }

    void reset() noexcept
    {
        if (T* old = std::exchange(m_ptr, nullptr))
            old->Release();
    }
    [[nodiscard]] T* release() noexcept { return std::exchange(m_ptr, nullptr); }

    // Releases what is held and hands out the slot for an output parameter.
    T** addressof() noexcept
    {
        reset();
        return &m_ptr;
    }
    void** addressofVoid() noexcept { return reinterpret_cast<void**>(addressof()); }

private:
    T* m_ptr = nullptr;
};

} // namespace pelrin
