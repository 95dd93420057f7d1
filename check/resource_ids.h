#pragma once
// Resources of pelrin-check (read by windres too: plain defines only).

// The application manifest that names the engine's assembly, used only when
// the engine is not registered (not 1, which the loader would apply at start).
#define PELRIN_CHECK_ENGINE_MANIFEST 101
