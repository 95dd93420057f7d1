#pragma once
// Minimal owners for Windows handles and automation values: get / reset /
// release / addressof, closing what they hold when they go out of scope.

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace pelrin {

// The "holds nothing" value of a handle type, as a function: INVALID_HANDLE_VALUE
// is a cast pointer and cannot be a template argument itself.
template <typename T>
constexpr T NullValue() noexcept
{
    return T{};
}

inline HANDLE InvalidHandleValue() noexcept
{
    return INVALID_HANDLE_VALUE;
}

template <typename T, auto Close, auto Invalid = &NullValue<T>>
class UniqueResource {
public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(T value) noexcept : m_value(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_value(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    T get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != Invalid(); }

    void reset(T value = Invalid()) noexcept
    {
        const T old = std::exchange(m_value, value);
        if (old != Invalid())
            Close(old);
    }

    [[nodiscard]] T release() noexcept { return std::exchange(m_value, Invalid()); }

    // Frees what is held and hands out the slot for an output parameter.
    T* addressof() noexcept
    {
        reset();
        return &m_value;
    }

private:
    T m_value = Invalid();
};

using UniqueBstr = UniqueResource<BSTR, &SysFreeString>;
using UniqueHkey = UniqueResource<HKEY, &RegCloseKey>;
using UniqueHmodule = UniqueResource<HMODULE, &FreeLibrary>;
using UniqueFileHandle = UniqueResource<HANDLE, &CloseHandle, &InvalidHandleValue>;
using UniqueSafeArray = UniqueResource<SAFEARRAY*, &SafeArrayDestroy>;
using UniqueWindow = UniqueResource<HWND, &DestroyWindow>;

inline void FreeProcessHeapBlock(void* block) noexcept
{
    HeapFree(GetProcessHeap(), 0, block);
}
// A block from HeapAlloc on the process heap.
using UniqueProcessHeapBlock = UniqueResource<void*, &FreeProcessHeapBlock>;

// A VARIANT that is cleared when it goes out of scope.
class UniqueVariant {
public:
    UniqueVariant() noexcept { VariantInit(&m_value); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&m_value); }

    const VARIANT& get() const noexcept { return m_value; }
    VARIANT* addressof() noexcept
    {
        VariantClear(&m_value);
        return &m_value;
    }
    void reset() noexcept { VariantClear(&m_value); }
    // Moves the value out to the caller, leaving VT_EMPTY behind.
    [[nodiscard]] VARIANT release() noexcept
    {
        VARIANT value = m_value;
        VariantInit(&m_value);
        return value;
    }

private:
    VARIANT m_value;
};

// Holds a critical section for the lifetime of the scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION& section) noexcept : m_section(section)
    {
        EnterCriticalSection(&m_section);
    }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;
    ~CriticalSectionLock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION& m_section;
};

} // namespace pelrin
