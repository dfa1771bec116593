// GDI+ for this backend, included one way everywhere: the tree builds with
// WIN32_LEAN_AND_MEAN and NOMINMAX, while GDI+'s headers need the COM
// declarations (objidl.h) and unqualified min and max.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
