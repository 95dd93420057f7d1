#pragma once
// SysException: one failure as a value (a code, where it was raised, a
// message). It can be published as the calling thread's COM error, rebuilt
// from a COM error a caller received, and shown to the user in a small
// top-most dialog. A library utility: engine methods neither raise nor show it.

#include "diag/sysex_text.h"
#include "diag/printf_format.h"

#include <cstdint>
#include <optional>
#include <string_view>

#if defined(_WIN32)
#include <windows.h>
#include <oaidl.h>
#endif

namespace pelrin {

// The facility's own failure: an interface method returns it after Publish,
// and a received COM error with it carries a published description.
inline constexpr std::int32_t SYSEX_E_ERROR = static_cast<std::int32_t>(0x8004FFFEu);

#if defined(_WIN32)
// The system's message text for a Windows error code without its line end,
// or "" when there is none. The text lives in a 512-byte buffer of the calling
// thread and stays valid until the same thread calls again.
const char* FormatSystemError(DWORD code) noexcept;
#endif

class SysException {
public:
    // The location text names this library, the file's name and the line.
    SysException(std::int32_t line, const char* file) noexcept;

    void SetCode(std::int32_t code) noexcept { m_code = code; }

    // printf-style; the first 511 characters become the message. A null
    // format leaves the message as it is.
    void Format(const char* format, ...) noexcept
        __attribute__((format(PELRIN_PRINTF_FORMAT, 2, 3)));

    std::int32_t Code() const noexcept { return m_code; }
    const char* Location() const noexcept { return m_location; }
    const char* Message() const noexcept { return m_message; }

    // Takes over a received COM error: its result and, when it came with an
    // error object, that object's source and description texts.
    void FromComError(std::int32_t result, std::optional<std::string_view> source,
        std::optional<std::string_view> description) noexcept;

#if defined(_WIN32)
    const char* SystemText() const noexcept
    {
        return FormatSystemError(static_cast<DWORD>(m_code));
    }

    // Installs an error object for interface iid as the thread's COM error;
    // always returns SYSEX_E_ERROR.
    HRESULT Publish(REFIID iid) const noexcept;

    // The same from the error object (or null) a caller got from GetErrorInfo.
    void FromComError(HRESULT result, IErrorInfo* errorInfo);

    // Shows the record in the error dialog on the calling thread and returns 0
    // once the dialog has gone.
    int ShowDialog() const noexcept;
#endif

private:
    std::int32_t m_code = 0;
    char m_location[kLocationSize] = {};
    char m_message[kMessageSize] = {};
};

// Where the library's own module lives ("" when the system cannot say).
// Windows: GetModuleFileNameA; host builds have no module and give "".
const char* OwnModuleFileName(char (&buffer)[kLocationSize]) noexcept;

} // namespace pelrin
