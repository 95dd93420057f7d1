#pragma once
// The side-by-side assembly manifest of the engine's DLL: what lets an
// application create the class with no registry entries at all. Its class,
// ProgIDs and threading model come from what the registry script registers
// for the module; its type library and interfaces from the IDL.

#include "deploy/idl_identities.h"
#include "server/registry/memory_registry.h"

#include <string>
#include <vector>

namespace pelrin::deploy {

inline constexpr const char* kAssemblyName = "Pelrin.Engine";

struct AssemblyFile {
    std::string fileName;              // "PELRIN.DLL"
    std::string version;               // the DLL's file version, "1.0.0.5"
    std::string processorArchitecture; // "amd64" or "x86"
};

// The manifest text. Throws std::invalid_argument when the script registers
// no in-process class for the module, or one the IDL does not define.
std::string AssemblyManifest(const AssemblyFile& file, const IdlIdentities& idl,
                             const std::vector<RegistryEntry>& registered);

} // namespace pelrin::deploy
