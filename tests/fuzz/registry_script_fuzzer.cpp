// libFuzzer target: arbitrary scripts through the registry script interpreter
// in both modes, over an in-memory registry that holds others' registrations,
// with single-byte and double-byte character stepping.

#include "server/registry/memory_registry.h"
#include "server/registry/registry_script.h"
#include "tests/server/registry/lead_byte_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {
constexpr unsigned char kFirstLead = 0x81;
constexpr unsigned char kLastLead = 0x9F;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string script(reinterpret_cast<const char*>(data), size);
    // Without a lead byte, double-byte stepping reads the script as single-byte does.
    const bool hasLeadByte = std::any_of(script.begin(), script.end(), [](char c) {
        return static_cast<unsigned char>(c) >= kFirstLead && static_cast<unsigned char>(c) <= kLastLead;
    });
    for (const bool doubleByte : {false, true}) {
        if (doubleByte && !hasLeadByte)
            break;
        pelrin::MemoryRegistry registry;
        registry.SetString("HKCR\\CLSID\\{other}\\InprocServer32", "", "other.dll");
        registry.SetString("HKCR\\Shared", "Value", "x");
        registry.AddKey("HKCR\\Shared\\Sub");
        pelrin::test::LeadByteText text;
        if (doubleByte)
            text.SetLeadBytes(kFirstLead, kLastLead);
        pelrin::RegistryScriptInterpreter interpreter(registry, text);
        static_cast<void>(interpreter.AddSubstitution(L"Module", L"C:\\Users\\O'Brien\\PELRIN.DLL"));
        static_cast<void>(interpreter.AddSubstitution(L"Percent", L"100%%"));

        static_cast<void>(interpreter.RunScript(script.c_str(), false));
        static_cast<void>(interpreter.RunScript(script.c_str(), true));
        static_cast<void>(interpreter.RunScript(script.c_str(), false));
        // Every key the interpreter opened has been closed again.
        if (registry.OpenHandleCount() != 0)
            __builtin_trap();
    }
    return 0;
}
