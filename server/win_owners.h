#pragma once
// Minimal owners for Windows handles and automation values: get / reset /
// release / addressof, closing what they hold when they go out of scope.

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace pelrin {

template <typename T, auto Close, T Invalid = T{}>
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
    explicit operator bool() const noexcept { return m_value != Invalid; }

    void reset(T value = Invalid) noexcept
    {
        const T old = std::exchange(m_value, value);
        if (old != Invalid)
            Close(old);
    }

    [[nodiscard]] T release() noexcept { return std::exchange(m_value, Invalid); }

    // Frees what is held and hands out the slot for an output parameter.
    T* addressof() noexcept
    {
        reset();
        return &m_value;
    }

private:
    T m_value = Invalid;
};

using UniqueBstr = UniqueResource<BSTR, &SysFreeString>;
using UniqueHkey = UniqueResource<HKEY, &RegCloseKey>;
using UniqueHmodule = UniqueResource<HMODULE, &FreeLibrary>;
using UniqueHandle = UniqueResource<HANDLE, &CloseHandle>;
using UniqueFileHandle = UniqueResource<HANDLE, &CloseHandle, INVALID_HANDLE_VALUE>;
using UniqueSafeArray = UniqueResource<SAFEARRAY*, &SafeArrayDestroy>;

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

} // namespace pelrin
