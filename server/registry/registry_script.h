#pragma once
// The registry script interpreter: runs a small text language that describes
// a tree of keys and values, in register mode (create keys, write values) or
// unregister mode (remove what the script describes, keeping keys shared with
// others). Windows-free: it works over RegistryAccess and AnsiText.
//
// Script shape:
//   HKCR
//   {
//       Name = s 'default value'
//       {
//           val Named = d '42'
//           ForceRemove Sub
//       }
//       NoRemove CLSID { ... }
//   }
// Placeholders %name% are replaced before parsing ("%%" is one "%").
//
// On Windows, registration code uses SystemRegistryScript
// (registry_script_win.h), which adds loading the script from a module's
// resources and runs over the real registry.

#include "server/registry/registry_access.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelrin {

// Results of the interpreter, with the values of the matching HRESULTs.
inline constexpr std::int32_t kScriptOk = 0;
inline constexpr std::int32_t kScriptFail = static_cast<std::int32_t>(0x80004005u);        // E_FAIL
inline constexpr std::int32_t kScriptOutOfMemory = static_cast<std::int32_t>(0x8007000Eu); // E_OUTOFMEMORY
inline constexpr std::int32_t kScriptSyntaxError = static_cast<std::int32_t>(0x80020009u); // DISP_E_EXCEPTION

// A Win32 error code as an HRESULT of facility Win32; 0 stays 0.
constexpr std::int32_t HResultFromWin32(std::int32_t error) noexcept
{
    if (error <= 0)
        return error;
    return static_cast<std::int32_t>(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFFu));
}

// Limits of the language. A token longer than its limit fails the run.
inline constexpr std::size_t kTokenBufferBytes = 4096;     // an unquoted token and its terminator
inline constexpr std::size_t kMaxQuotedTokenBytes = 4094;  // content of a quoted token
inline constexpr std::size_t kMaxPlaceholderNameBytes = 31;
inline constexpr std::size_t kMaxRemovableKeyNameBytes = 259; // longer: no such key to remove
inline constexpr std::size_t kSubkeyNameBufferChars = 256;  // recursive removal
inline constexpr int kMaxBlockDepth = 512;                  // nested blocks, as deep as the registry goes

class RegistryScriptInterpreter {
public:
    // Both must outlive the interpreter.
    RegistryScriptInterpreter(RegistryAccess& registry, const AnsiText& text);

    // Adds a placeholder and its value (copies of both). Names are matched
    // without regard to ASCII case, the first added wins. Inside a quoted
    // token the value's apostrophes are doubled, so a value such as a path
    // under C:\Users\O'Brien stays whole there; elsewhere it goes in as it
    // is. kScriptOk or kScriptOutOfMemory.
    std::int32_t AddSubstitution(std::wstring_view name, std::wstring_view value) noexcept;

    // Runs a zero-terminated ANSI script. Register mode reads each root block
    // whole before it writes it, so a syntax error writes nothing of the
    // block; when writing fails, what the block wrote is removed again and the
    // failure returned (earlier root blocks stay). Unregister mode stops at
    // the first syntax failure but ignores refused deletions. Returns
    // kScriptOk or the first failure, an HRESULT.
    std::int32_t RunScript(const char* script, bool registerMode) noexcept;

private:
    struct Substitution {
        std::wstring name;
        std::wstring value;
    };

    std::int32_t Substitute(const char* script, std::string& output) const;

    RegistryAccess& m_registry;
    const AnsiText& m_text;
    std::vector<Substitution> m_substitutions;
};

} // namespace pelrin
