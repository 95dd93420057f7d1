#include "diag/sysex.h"

#include <cstdarg>
#include <cstdio>

namespace pelrin {

SysException::SysException(std::int32_t line, const char* file) noexcept
{
    char moduleFileName[kLocationSize];
    BuildLocationText(m_location, OwnModuleFileName(moduleFileName), file, line);
}

void SysException::Format(const char* format, ...) noexcept
{
    if (format == nullptr)
        return;
    // A separate work buffer, so the message may be one of the arguments.
    char work[1024];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(work, sizeof work, format, args);
    va_end(args);
    if (written < 0)
        work[0] = '\0';
    CopyCut(m_message, work);
}

void SysException::FromComError(std::int32_t result, std::optional<std::string_view> source,
    std::optional<std::string_view> description) noexcept
{
    if (source)
        CopyCut(m_location, *source);
    const std::string_view text = description.value_or(std::string_view());
    std::optional<PublishedParts> published;
    if (result == SYSEX_E_ERROR)
        published = ParsePublishedDescription(text);
    // Anything that is not a published description keeps the result received
    // as the code and the whole text as the message.
    m_code = published ? published->code : result;
    CopyCut(m_message, published ? published->message : text);
}

} // namespace pelrin
