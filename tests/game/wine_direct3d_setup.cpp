// Wine's DirectDraw and Direct3D prepared before the framework tests run (see the header).
#include "tests/support/wine_direct3d_setup.h"

namespace {
testsupport::WineDirect3DSetup g_wineDirect3DSetup;
}  // namespace
