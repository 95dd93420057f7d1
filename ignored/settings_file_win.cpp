#include "ignored/settings_file.h"

#include "base/caught_exception_win.h"
#include "base/last_error_win.h"
#include "base/win_owners.h"
#include "diag/trace.h"
#include "ignored/app_folder.h"
#include "ignored/phrase_keys.h"

#include <windows.h>

#include <cstdio>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pelrin {
namespace {

constexpr const char* kSection = "Ignore";
constexpr const char* kCountKey = "Count";
constexpr std::size_t kCountBufferSize = 256;
constexpr std::size_t kValueBufferSize = 256; // so at most 255 bytes of a value come back

// Missing phrase keys read and traced one by one. Past that many, the rest
// are found in the section's key list, so a damaged or hostile "Count" (up to
// 2147483647) costs work in proportion to the keys the file really holds.
constexpr int kMissingKeysReadOneByOne = 1024;

// The numbers n, from <= n < count, of the "Phrase<n>" keys of the section.
std::set<int> PresentPhraseNumbers(const char* file, int from, int count)
{
    std::vector<char> names(4096);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileStringA(kSection, nullptr, "", names.data(),
                                          static_cast<DWORD>(names.size()), file);
        if (length + 2 < names.size())
            break; // the whole list fitted (a cut list comes back as size - 2)
        if (names.size() > MAXDWORD / 2)
            throw std::bad_alloc();
        names.resize(names.size() * 2);
    }
    return PhraseNumbersInKeyList(std::string_view(names.data(), length), from, count);
}

// S_OK when the file can be opened for reading or is not there at all (no
// saved list); otherwise why not: another program holds it without sharing,
// it is a folder, access is denied.
HRESULT CheckReadable(const char* file)
{
    const UniqueFileHandle opened(CreateFileA(file, GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (opened)
        return kS_OK;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kS_OK
                                                                          : LastErrorAsHresult(error);
}

HRESULT Save(PelrinEngineImpl& impl)
{
    TRACE_BASIC("CPelrinEngine::SaveIgnoredPhrases-1, entering");
    const std::int32_t fileResult = GetAppIniFile(impl);
    if (fileResult < 0) {
        TRACE_BASIC("CPelrinEngine::SaveIgnoredPhrases-2, error: %d", fileResult);
        return fileResult;
    }
    const char* file = impl.m_appIniFile.c_str();

    char count[kCountBufferSize];
    std::snprintf(count, sizeof count, "%d", static_cast<int>(impl.m_ignoredPhrases.size()));
    SetLastError(0); // a code left by an earlier call must not be reported
    if (!WritePrivateProfileStringA(kSection, kCountKey, count, file)) {
        const DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
        TRACE_BASIC("CPelrinEngine::SaveIgnoredPhrases-3, error: %d", static_cast<int>(error));
        return LastErrorAsHresult(error);
    }

    HRESULT result = kS_OK;
    int number = 0;
    for (const std::string& phrase : impl.m_ignoredPhrases) {
        char key[kPhraseKeyBufferSize];
        FormatPhraseKey(key, number++);
        SetLastError(0);
        if (!WritePrivateProfileStringA(kSection, key, phrase.c_str(), file)) {
            const DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
            result = LastErrorAsHresult(error);
            TRACE_BASIC("CPelrinEngine::SaveIgnoredPhrases-3, %s: error: %d", key,
                        static_cast<int>(error));
        }
    }
    TRACE_BASIC("CPelrinEngine::SaveIgnoredPhrases-4, hr: %d", static_cast<int>(result));
    return result;
}

HRESULT Load(PelrinEngineImpl& impl)
{
    TRACE_BASIC("CPelrinEngine::LoadIgnoredPhrases-1, entering");
    const std::int32_t fileResult = GetAppIniFile(impl);
    if (fileResult < 0) {
        TRACE_BASIC("CPelrinEngine::LoadIgnoredPhrases-2, error: %d", fileResult);
        return fileResult;
    }
    const char* file = impl.m_appIniFile.c_str();
    // The profile functions read a file they cannot open as an empty one.
    const HRESULT readable = CheckReadable(file);
    if (FAILED(readable)) {
        TRACE_BASIC("CPelrinEngine::LoadIgnoredPhrases-2, error: %d", static_cast<int>(readable));
        return readable;
    }

    const auto count = static_cast<int>(GetPrivateProfileIntA(kSection, kCountKey, 0, file));
    HRESULT result = kS_OK;
    int missing = 0;
    std::optional<std::set<int>> present; // read once, when first needed
    for (int number = 0; number < count;) {
        if (missing >= kMissingKeysReadOneByOne) {
            if (!present)
                present = PresentPhraseNumbers(file, number, count);
            const auto next = present->lower_bound(number);
            const int last = (next == present->end() ? count : *next) - 1;
            if (last > number) {
                // The keys number..last are all missing: one line for the run.
                result = LastErrorAsHresult(ERROR_FILE_NOT_FOUND);
                TRACE_BASIC("CPelrinEngine::LoadIgnoredPhrases-3, Phrase%d to Phrase%d: error: %d",
                            number, last, static_cast<int>(ERROR_FILE_NOT_FOUND));
                number = last + 1;
                continue;
            }
        }
        char key[kPhraseKeyBufferSize];
        FormatPhraseKey(key, number);
        char value[kValueBufferSize];
        SetLastError(0);
        GetPrivateProfileStringA(kSection, key, "", value, sizeof value, file);
        value[sizeof value - 1] = '\0';
        if (value[0] != '\0') {
            impl.m_ignoredPhrases.insert(value);
        } else {
            // Windows reports ERROR_FILE_NOT_FOUND for a missing key, but an
            // empty value (and Wine, even for a missing key) leaves no code,
            // which would read as success.
            const DWORD error = LastErrorOr(ERROR_FILE_NOT_FOUND);
            result = LastErrorAsHresult(error);
            ++missing;
            TRACE_BASIC("CPelrinEngine::LoadIgnoredPhrases-3, %s: error: %d", key,
                        static_cast<int>(error));
        }
        ++number;
    }
    TRACE_BASIC("CPelrinEngine::LoadIgnoredPhrases-4, hr: %d", static_cast<int>(result));
    return result;
}

} // namespace

HRESULT SaveIgnoredPhrases(PelrinEngineImpl& impl) noexcept
{
    return HResultBarrier([&] { return Save(impl); });
}

HRESULT LoadIgnoredPhrases(PelrinEngineImpl& impl) noexcept
{
    return HResultBarrier([&] { return Load(impl); });
}

} // namespace pelrin
