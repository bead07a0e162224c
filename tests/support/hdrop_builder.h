// Builds the drop handle that WM_DROPFILES carries: a DROPFILES header followed by the ANSI
// names, each terminated, and one more terminator, in a GlobalAlloc block. DragFinish frees it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace testsupport {

HDROP BuildDropHandle(const std::vector<std::string>& names);

}  // namespace testsupport
