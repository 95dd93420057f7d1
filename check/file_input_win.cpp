#include "check/file_input_win.h"

#include "base/win_owners.h"

#include <new>

namespace pelrin::check {
namespace {

DWORD ReadAll(HANDLE handle, std::string& bytes)
{
    constexpr DWORD kChunk = 1 << 20;
    try {
        for (;;) {
            const std::size_t used = bytes.size();
            bytes.resize(used + kChunk);
            DWORD read = 0;
            const BOOL ok = ReadFile(handle, bytes.data() + used, kChunk, &read, nullptr);
            bytes.resize(used + read);
            if (!ok) {
                const DWORD error = GetLastError();
                return error == ERROR_BROKEN_PIPE ? 0 : error; // a pipe whose writer has finished
            }
            if (read == 0)
                return 0;
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        bytes.shrink_to_fit();
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // namespace

DWORD ReadInput(const std::wstring& file, std::string& bytes)
{
    if (file == L"-")
        return ReadAll(GetStdHandle(STD_INPUT_HANDLE), bytes);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return ERROR_DIRECTORY;
    const UniqueFileHandle handle(CreateFileW(file.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle)
        return GetLastError();
    return ReadAll(handle.get(), bytes);
}

} // namespace pelrin::check
