// Self-registration as an installer runs it: `regsvr32` and `regsvr32 /u` on
// PELRIN.DLL in this build's Wine prefix, the entries read back from the
// registry. Every test starts unregistered (type library included) and
// leaves the built DLL registered from its own path, as the other tests of
// the prefix expect to find it.

#include "server/pelrin.h"
#include "server/registry/memory_registry.h"
#include "tests/server/bitness.h"
#include "tests/server/pelrin_dll_exports.h"
#include "tests/server/registry/registry_dump_win.h"
#include "tests/server/registry/shipped_script_entries.h"
#include "tests/support/unique_handle_win.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace pelrin {
namespace {

using test::BuiltDllPath;
using test::DumpKey;
using test::Lines;
using test::PelrinDllExports;
using test::UniqueHandle;

constexpr const char* kClassKey = "CLSID\\{EDBA7DCF-775A-11D3-B1D4-00104BC9635C}";
constexpr const char* kTypeLibKey = "TypeLib\\{EDBA7DC1-775A-11D3-B1D4-00104BC9635C}";
constexpr const char* kInterfaceKey = "Interface\\{EDBA7DCE-775A-11D3-B1D4-00104BC9635C}";
const HRESULT kTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
const HRESULT kNotInCodePage = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

std::string Narrow(const std::wstring& text)
{
    std::string narrow(text.size() * 2 + 1, '\0');
    narrow.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                                               narrow.data(), static_cast<int>(narrow.size()),
                                                               nullptr, nullptr)));
    return narrow;
}

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

// --- The registry ---
// Read in the view of this program's bitness, named: the registration checked
// is the one its regsvr32 and DLL of the same bitness write.

LSTATUS OpenClassesKey(const std::string& subkey, UniqueHkey& key)
{
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_READ | test::kRegistryView, key.addressof());
}

bool KeyExists(const std::string& subkey)
{
    UniqueHkey key;
    return OpenClassesKey(subkey, key) == ERROR_SUCCESS;
}

// Everything under the two ProgID keys and the class key, sorted.
Lines ClassEntries()
{
    Lines lines;
    for (const char* subkey : {"Pelrin.PelrinEngine.1", "Pelrin.PelrinEngine", kClassKey}) {
        UniqueHkey key;
        if (OpenClassesKey(subkey, key) == ERROR_SUCCESS)
            DumpKey(key.get(), std::string("HKCR\\") + subkey, true, lines);
    }
    return test::Sorted(lines);
}

Lines ExpectedClassEntries(const std::wstring& module)
{
    Lines lines = test::OwnScriptEntries(Narrow(module));
    lines.erase(std::remove(lines.begin(), lines.end(), "HKCR\\CLSID"), lines.end());
    return lines;
}

// The default value of a key under HKEY_CLASSES_ROOT; "<none>" when absent.
std::wstring DefaultValue(const std::string& subkey)
{
    std::wstring value(2048, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    UniqueHkey key;
    if (OpenClassesKey(subkey, key) != ERROR_SUCCESS ||
        RegGetValueW(key.get(), nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value.data(), &size) != ERROR_SUCCESS)
        return L"<none>";
    value.resize(size / sizeof(wchar_t) - 1);
    return value;
}

// No trace of the class or its type library anywhere.
bool NothingRegistered()
{
    return ClassEntries().empty() && !KeyExists(kTypeLibKey) && !KeyExists(kInterfaceKey);
}

// --- Files ---

std::wstring Extended(const std::wstring& path)
{
    return L"\\\\?\\" + path;
}

// A folder of this test program's own, beside it in the build tree.
std::wstring ScratchFolder()
{
    std::wstring program(32768, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
    return FolderOf(program) + L"\\registration scratch";
}

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(Extended(folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + L"\\" + name);
            else
                DeleteFileW(Extended(folder + L"\\" + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(Extended(folder).c_str());
}

// Copies the built DLL (or `source`) to `path`, making its folders; any length.
bool CopyDllTo(const std::wstring& path, const std::wstring& source = BuiltDllPath())
{
    for (std::size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
        if (!CreateDirectoryW(Extended(path.substr(0, slash)).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return CopyFileW(source.c_str(), Extended(path).c_str(), FALSE) != FALSE;
}

// The bytes of a resource of a module file.
std::vector<char> ResourceOf(const std::wstring& module, const wchar_t* type, WORD id)
{
    const UniqueHmodule file(LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    const HRSRC found = file ? FindResourceW(file.get(), MAKEINTRESOURCEW(id), type) : nullptr;
    const HGLOBAL loaded = found ? LoadResource(file.get(), found) : nullptr;
    const char* const bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::vector<char>(bytes, bytes + SizeofResource(file.get(), found)) : std::vector<char>{};
}

// Replaces the data of a resource (of the language the DLL stores them in)
// in a module file. (Wine cannot remove one.)
bool ReplaceResource(const std::wstring& module, const wchar_t* type, WORD id, std::string data)
{
    const HANDLE update = BeginUpdateResourceW(module.c_str(), FALSE);
    if (update == nullptr)
        return false;
    const bool replaced = UpdateResourceW(update, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                          data.data(), static_cast<DWORD>(data.size())) != FALSE;
    return EndUpdateResourceW(update, !replaced) != FALSE && replaced;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<char>& bytes)
{
    const UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A path in the scratch folder of exactly `length` characters, ending in
// \PELRIN.DLL, made of folders short enough for the file system.
std::wstring PathOfLength(std::size_t length)
{
    const std::wstring file = L"\\PELRIN.DLL";
    std::wstring path = ScratchFolder() + L"\\long";
    std::size_t remaining = length - path.size() - file.size();
    while (remaining > 0) {
        std::size_t take = std::min<std::size_t>(remaining, 200);
        if (remaining - take == 1)
            --take;
        path += L'\\';
        path.append(take - 1, L'p');
        remaining -= take;
    }
    return path + file;
}

// --- Clients on other threads ---

DWORD WINAPI RunInMultithreadedApartment(void* work)
{
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(init)) {
        (*static_cast<const std::function<void()>*>(work))();
        CoUninitialize();
    }
    return static_cast<DWORD>(init);
}

// Runs each piece of work on a thread of its own in the multithreaded
// apartment, serving calls into this thread's apartment until all are done.
void RunOnMultithreadedThreads(const std::vector<std::function<void()>>& works)
{
    std::vector<UniqueHandle> threads;
    for (const auto& work : works)
        threads.emplace_back(CreateThread(nullptr, 0, &RunInMultithreadedApartment,
                                          const_cast<std::function<void()>*>(&work), 0, nullptr));
    for (const UniqueHandle& thread : threads) {
        HANDLE handle = thread.get();
        DWORD index = 0;
        EXPECT_EQ(CoWaitForMultipleHandles(0, 60000, 1, &handle, &index), S_OK);
        DWORD exitCode = ~0u;
        EXPECT_TRUE(GetExitCodeThread(handle, &exitCode) && exitCode == S_OK) << exitCode;
    }
}

// The number of phrases MatchWord("at") answers, or -1 when it fails.
long PhrasesOfAt(IPelrinEngine* engine)
{
    const UniqueBstr word(SysAllocString(L"at"));
    UniqueVariant phrases;
    LONG upper = -1;
    if (FAILED(engine->MatchWord(word.get(), phrases.addressof())) || V_VT(&phrases.get()) != (VT_ARRAY | VT_VARIANT) ||
        FAILED(SafeArrayGetUBound(V_ARRAY(&phrases.get()), 1, &upper)))
        return -1;
    return upper + 1;
}

// --- regsvr32 ---

// Runs the prefix's regsvr32 on `dll` and returns its exit code.
DWORD Regsvr32(const std::wstring& options, const std::wstring& dll)
{
    std::wstring command = L"regsvr32.exe " + options + L" \"" + dll + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start regsvr32, error " << GetLastError();
        return ~0u;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    EXPECT_EQ(WaitForSingleObject(process.get(), 120000), WAIT_OBJECT_0);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.get(), &exitCode);
    return exitCode;
}

class SelfRegistrationTest : public testing::Test {
protected:
    // COM for the registrar component that version 1.0.0.1 registers
    // through when DllRegisterServer is called here, as regsvr32 has it.
    void SetUp() override
    {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        RemoveTree(ScratchFolder());
        ASSERT_EQ(Regsvr32(L"/u /s", BuiltDllPath()), 0u);
        // The type library's registration outlives unregistering: remove it
        // here, so each test sees what its own registration writes.
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kTypeLibKey);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kInterfaceKey);
        ASSERT_TRUE(NothingRegistered());
    }

    void TearDown() override
    {
        CoUninitialize();
        EXPECT_EQ(Regsvr32(L"/s", BuiltDllPath()), 0u);
        RemoveTree(ScratchFolder());
    }

    // The type library is registered for Windows of this bitness from `module`.
    static void ExpectTypeLibraryOf(const std::wstring& module)
    {
        const std::string version = std::string(kTypeLibKey) + "\\1.0";
        EXPECT_EQ(DefaultValue(version), L"Pelrin 1.0 Type Library");
        // Under its own locale, and locale 0 for COM's marshaler.
        for (const char* locale : {"\\409\\", "\\0\\"}) {
            EXPECT_EQ(DefaultValue(version + locale + test::kTypeLibPlatform), module) << locale;
            EXPECT_FALSE(KeyExists(version + locale + test::kOtherTypeLibPlatform)) << locale;
        }
        EXPECT_EQ(DefaultValue(version + "\\HELPDIR"), FolderOf(module) + L"\\");
        EXPECT_EQ(DefaultValue(std::string(kInterfaceKey) + "\\TypeLib"),
                  L"{EDBA7DC1-775A-11D3-B1D4-00104BC9635C}");
    }

    // A client finds the class by its ProgID and creates it in-process. (The
    // version-independent ProgID names only its CurVer, which Wine's
    // CLSIDFromProgID does not follow.)
    static void ExpectCreatableByProgId(const std::wstring& module)
    {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(L"Pelrin.PelrinEngine.1", &clsid), S_OK);
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_PelrinEngine));
        {
            ComPtr<IDispatch> engine;
            ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, engine.addressofVoid()),
                      S_OK);
            EXPECT_NE(GetModuleHandleW(module.c_str()), nullptr) << "loaded from the registered path";
            // Late binding goes through the registered type library.
            OLECHAR name[] = L"MatchWord";
            LPOLESTR names[] = {name};
            DISPID dispid = 0;
            EXPECT_EQ(engine->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid), S_OK);
            EXPECT_EQ(dispid, 6);
        }
        CoUninitialize();
    }
};

TEST_F(SelfRegistrationTest, RegisterWritesTheScriptsEntriesAndTheTypeLibrary)
{
    const std::wstring dll = BuiltDllPath();
    ASSERT_EQ(Regsvr32(L"/s", dll), 0u);
    EXPECT_EQ(ClassEntries(), ExpectedClassEntries(dll));
    ExpectTypeLibraryOf(dll);
    ExpectCreatableByProgId(dll);
}

// The engine lives in a single-threaded apartment: a client in the
// multithreaded one, or a thread handed the engine by another, calls it
// through COM's marshaler of automation interfaces, which reads the
// registered type library.
TEST_F(SelfRegistrationTest, ThreadsOfTheMultithreadedApartmentCreateAndShareTheEngine)
{
    ASSERT_EQ(Regsvr32(L"/s", BuiltDllPath()), 0u);
    const long kPhrasesOfAt = 3;

    // Created in the multithreaded apartment, called from two of its threads.
    HRESULT created = E_FAIL;
    long answers[2] = {-1, -1};
    RunOnMultithreadedThreads({[&] {
        ComPtr<IPelrinEngine> engine;
        created = CoCreateInstance(CLSID_PelrinEngine, nullptr, CLSCTX_INPROC_SERVER, IID_IPelrinEngine,
                                   engine.addressofVoid());
        if (FAILED(created))
            return;
        RunOnMultithreadedThreads({[&] { answers[0] = PhrasesOfAt(engine.get()); },
                                   [&] { answers[1] = PhrasesOfAt(engine.get()); }});
    }});
    EXPECT_EQ(created, S_OK);
    EXPECT_EQ(answers[0], kPhrasesOfAt);
    EXPECT_EQ(answers[1], kPhrasesOfAt);

    // Created here, handed to a thread of the multithreaded apartment.
    ComPtr<IPelrinEngine> engine;
    ASSERT_EQ(CoCreateInstance(CLSID_PelrinEngine, nullptr, CLSCTX_INPROC_SERVER, IID_IPelrinEngine,
                               engine.addressofVoid()),
              S_OK);
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IPelrinEngine, engine.get(), &stream), S_OK);
    HRESULT unmarshalled = E_FAIL;
    long answer = -1;
    RunOnMultithreadedThreads({[&] {
        ComPtr<IPelrinEngine> proxy;
        unmarshalled = CoGetInterfaceAndReleaseStream(stream, IID_IPelrinEngine, proxy.addressofVoid());
        if (SUCCEEDED(unmarshalled))
            answer = PhrasesOfAt(proxy.get());
    }});
    EXPECT_EQ(unmarshalled, S_OK);
    EXPECT_EQ(answer, kPhrasesOfAt);
}

TEST_F(SelfRegistrationTest, RegisteringTwiceRewritesTheClassKeyWhole)
{
    const std::wstring dll = BuiltDllPath();
    ASSERT_EQ(Regsvr32(L"/s", dll), 0u);
    // Others' additions under the class key do not survive a registration.
    const std::string inproc = std::string(kClassKey) + "\\InprocServer32";
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, (std::string(kClassKey) + "\\Foreign").c_str(), REG_SZ, "x", 1),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, inproc.c_str(), "Stray", REG_SZ, "y", 2), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, inproc.c_str(), REG_SZ, "C:\\elsewhere\\PELRIN.DLL", 23),
              ERROR_SUCCESS);

    ASSERT_EQ(Regsvr32(L"/s", dll), 0u);
    EXPECT_EQ(ClassEntries(), ExpectedClassEntries(dll));
    ExpectTypeLibraryOf(dll);
}

TEST_F(SelfRegistrationTest, UnregisteringTwiceRemovesTheClassAndKeepsTheTypeLibrary)
{
    const std::wstring dll = BuiltDllPath();
    ASSERT_EQ(Regsvr32(L"/s", dll), 0u);
    for (int round = 1; round <= 2; ++round) {
        ASSERT_EQ(Regsvr32(L"/u /s", dll), 0u) << "round " << round;
        EXPECT_EQ(ClassEntries(), Lines{}) << "round " << round;
        EXPECT_TRUE(KeyExists("CLSID"));
        ExpectTypeLibraryOf(dll);
    }
}

TEST_F(SelfRegistrationTest, FolderWithSpacesAndApostrophesIsRegisteredAsItIs)
{
    const std::wstring copy = ScratchFolder() + L"\\O'Brien's Pelrin copy\\PELRIN.DLL";
    ASSERT_TRUE(CopyDllTo(copy));
    ASSERT_EQ(Regsvr32(L"/s", copy), 0u);
    EXPECT_EQ(DefaultValue(std::string(kClassKey) + "\\InprocServer32"), copy);
    EXPECT_EQ(ClassEntries(), ExpectedClassEntries(copy));
    ExpectTypeLibraryOf(copy);
    ExpectCreatableByProgId(copy);

    ASSERT_EQ(Regsvr32(L"/u /s", copy), 0u);
    EXPECT_EQ(ClassEntries(), Lines{});
}

TEST_F(SelfRegistrationTest, WithoutALoadableTypeLibraryTheTlbBesideTheDllIsRegistered)
{
    const std::wstring folder = ScratchFolder() + L"\\v1.0 damaged type library";
    const std::wstring copy = folder + L"\\PELRIN";
    const std::wstring besideIt = folder + L"\\PELRIN.tlb";
    ASSERT_TRUE(CopyDllTo(copy));
    const std::string damaged = "not a type library";
    ASSERT_TRUE(ReplaceResource(copy, L"TYPELIB", 1, damaged));
    ASSERT_EQ(ResourceOf(copy + L".", L"TYPELIB", 1), std::vector<char>(damaged.begin(), damaged.end()));

    // Neither in the DLL nor beside it: the class entries are written, and
    // the result is what loading the missing .tlb gives.
    ComPtr<ITypeLib> none;
    const HRESULT missing = LoadTypeLib(besideIt.c_str(), none.addressof());
    ASSERT_TRUE(FAILED(missing));
    {
        // The trailing dot keeps LoadLibrary from appending ".dll".
        const PelrinDllExports dll(copy + L".");
        ASSERT_TRUE(dll.Loaded());
        EXPECT_EQ(dll.RegisterServer(), missing);
    }
    EXPECT_EQ(ClassEntries(), ExpectedClassEntries(copy));
    EXPECT_FALSE(KeyExists(kTypeLibKey));

    // The file name's missing extension becomes ".tlb", not the folder's ".0".
    ASSERT_TRUE(WriteFileBytes(besideIt, ResourceOf(BuiltDllPath(), L"TYPELIB", 1)));
    {
        const PelrinDllExports dll(copy + L".");
        EXPECT_EQ(dll.RegisterServer(), S_OK);
    }
    ExpectTypeLibraryOf(besideIt);
}

TEST_F(SelfRegistrationTest, PathBeyondMaxPathIsRefusedBeforeAnythingIsWritten)
{
    // The longest path the narrow registration carries registers whole.
    const std::wstring longest = PathOfLength(MAX_PATH - 1);
    ASSERT_TRUE(CopyDllTo(longest));
    {
        const PelrinDllExports dll(longest);
        ASSERT_TRUE(dll.Loaded());
        EXPECT_EQ(dll.RegisterServer(), S_OK);
        EXPECT_EQ(ClassEntries(), ExpectedClassEntries(longest));
        ExpectTypeLibraryOf(longest);
        EXPECT_EQ(dll.UnregisterServer(), S_OK);
    }
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kTypeLibKey);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kInterfaceKey);
    ASSERT_TRUE(NothingRegistered());

    // One character more would be cut off: refused, nothing written.
    for (const std::size_t length : {std::size_t{MAX_PATH}, std::size_t{400}}) {
        const std::wstring tooLong = PathOfLength(length);
        ASSERT_TRUE(CopyDllTo(tooLong));
        {
            const PelrinDllExports dll(tooLong);
            ASSERT_TRUE(dll.Loaded()) << "length " << length;
            EXPECT_EQ(dll.RegisterServer(), kTooLong) << "length " << length;
            EXPECT_EQ(dll.UnregisterServer(), S_OK);
        }
        EXPECT_NE(Regsvr32(L"/s", tooLong), 0u);
        EXPECT_TRUE(NothingRegistered()) << "length " << length;
    }
}

TEST_F(SelfRegistrationTest, UnregisteringFromAPathRegistrationRefusesStillRemovesTheEntries)
{
    // Unregistering removes keys by name and writes no path.
    for (const std::wstring& copy : {PathOfLength(400), ScratchFolder() + L"\\Pelrin \u03A9\\PELRIN.DLL"}) {
        ASSERT_TRUE(CopyDllTo(copy));
        ASSERT_EQ(Regsvr32(L"/s", BuiltDllPath()), 0u);
        ASSERT_NE(ClassEntries(), Lines{});
        EXPECT_EQ(Regsvr32(L"/u /s", copy), 0u);
        EXPECT_EQ(ClassEntries(), Lines{});
    }
}

// Version 1.0.0.1 registers through the system's registrar, 1.0.0.5 with its
// own interpreter: from one path, both leave the same registry behind. Each
// build compares its DLL with the other version's (when that is built).
TEST_F(SelfRegistrationTest, BothVersionsLeaveTheSameRegistry)
{
    const std::wstring other = test::WindowsPath(PELRIN_OTHER_VERSION_DLL_PATH);
    if (GetFileAttributesW(other.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the other version's DLL is not built: " << PELRIN_OTHER_VERSION_DLL_PATH;
    const std::wstring copy = ScratchFolder() + L"\\Pelrin's both versions\\PELRIN.DLL";
    Lines classEntries;
    Lines registered[2];
    Lines unregistered[2];
    const std::wstring sources[2] = {other, BuiltDllPath()};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(CopyDllTo(copy, sources[i]));
        ASSERT_EQ(Regsvr32(L"/s", copy), 0u) << i;
        registered[i] = ClassEntries();
        if (i == 0)
            classEntries = registered[i];
        for (const char* subkey : {kTypeLibKey, kInterfaceKey}) {
            UniqueHkey key;
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey, 0, KEY_READ, key.addressof()) == ERROR_SUCCESS)
                DumpKey(key.get(), std::string("HKCR\\") + subkey, true, registered[i]);
        }
        ASSERT_EQ(Regsvr32(L"/u /s", copy), 0u) << i;
        unregistered[i] = ClassEntries();
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kTypeLibKey);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kInterfaceKey);
    }
    EXPECT_EQ(classEntries, ExpectedClassEntries(copy));
    EXPECT_EQ(registered[1], registered[0]);
    EXPECT_EQ(unregistered[1], unregistered[0]);
    EXPECT_EQ(unregistered[0], Lines{});
}

TEST_F(SelfRegistrationTest, PathOutsideTheAnsiCodePageIsRefusedBeforeAnythingIsWritten)
{
    ASSERT_EQ(GetACP(), 1252u) << "the folder names below are written for code page 1252";
    // U+0100 has a best-fit look-alike ("A"), U+03A9 and U+65E5 none.
    for (const wchar_t* folder : {L"\\Pelrin \u0100", L"\\Pelrin \u03A9", L"\\Pelrin \u65E5"}) {
        const std::wstring copy = ScratchFolder() + folder + L"\\PELRIN.DLL";
        ASSERT_TRUE(CopyDllTo(copy));
        {
            const PelrinDllExports dll(copy);
            ASSERT_TRUE(dll.Loaded());
            EXPECT_EQ(dll.RegisterServer(), kNotInCodePage);
        }
        EXPECT_NE(Regsvr32(L"/s", copy), 0u);
        EXPECT_TRUE(NothingRegistered());
    }

    // A character the code page has is registered as it is.
    const std::wstring cafe = ScratchFolder() + L"\\Pelrin caf\u00E9\\PELRIN.DLL";
    ASSERT_TRUE(CopyDllTo(cafe));
    ASSERT_EQ(Regsvr32(L"/s", cafe), 0u);
    EXPECT_EQ(DefaultValue(std::string(kClassKey) + "\\InprocServer32"), cafe);
    ExpectTypeLibraryOf(cafe);
}

} // namespace
} // namespace pelrin
