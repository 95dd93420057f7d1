#pragma once
// An owner of a kernel handle that is null when there is none (a process or
// thread the tests start); the library itself opens only files.

#include "base/win_owners.h"

namespace pelrin::test {

using UniqueHandle = UniqueResource<HANDLE, &CloseHandle>;

} // namespace pelrin::test
