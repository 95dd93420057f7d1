#include "diag/sysex.h"

namespace pelrin {

// Host builds are not a module of their own.
const char* OwnModuleFileName(char (&buffer)[kLocationSize]) noexcept
{
    buffer[0] = '\0';
    return buffer;
}

} // namespace pelrin
