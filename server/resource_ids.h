/* Resource identifiers of PELRIN.DLL, shared by pelrin.rc and the code. */
#pragma once

#define IDS_PROJNAME 100
#define IDR_PELRINENGINE 101
