#include "base/code_page_text_win.h"
#include "base/error_info_win.h"
#include "diag/sysex.h"

#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace pelrin {

namespace {

constexpr DWORD kSystemTextSize = 512;
thread_local char t_systemText[kSystemTextSize];

} // namespace

const char* OwnModuleFileName(char (&buffer)[kLocationSize]) noexcept
{
    const HMODULE self = reinterpret_cast<HMODULE>(&__ImageBase);
    const DWORD length = GetModuleFileNameA(self, buffer, kLocationSize);
    // A path that does not fit is cut; one that cannot be had is empty.
    buffer[length < kLocationSize ? length : kLocationSize - 1] = '\0';
    return buffer;
}

const char* FormatSystemError(DWORD code) noexcept
{
    char* const text = t_systemText;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, kSystemTextSize, nullptr);
    if (length == 0 || length >= kSystemTextSize) {
        text[0] = '\0';
        return text;
    }
    text[length] = '\0';
    // The first character stays even when it is a line end.
    while (length > 1 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        text[--length] = '\0';
    return text;
}

HRESULT SysException::Publish(REFIID iid) const noexcept
{
    // Whatever fails, the thread must not keep an older error object that a
    // caller would take for this one.
    SetErrorInfo(0, nullptr);

    const auto description = PublishedDescription(m_code, m_message);
    const UniqueBstr sourceText = AnsiToBstr(m_location);
    const UniqueBstr descriptionText = AnsiToBstr(description.data());
    if (!sourceText || !descriptionText)
        return SYSEX_E_ERROR;

    PublishErrorInfo(iid, sourceText.get(), descriptionText.get());
    return SYSEX_E_ERROR;
}

void SysException::FromComError(HRESULT result, IErrorInfo* errorInfo)
{
    std::optional<std::string> source;
    std::optional<std::string> description;
    if (errorInfo) {
        UniqueBstr text;
        if (SUCCEEDED(errorInfo->GetSource(text.addressof())) && text)
            source = WideToAnsi(text.get(), SysStringLen(text.get()));
        if (SUCCEEDED(errorInfo->GetDescription(text.addressof())) && text)
            description = WideToAnsi(text.get(), SysStringLen(text.get()));
    }
    FromComError(static_cast<std::int32_t>(result), source, description);
}

} // namespace pelrin
