// The wlr layer shell's generated client header, made usable from C++: one of
// its requests has an argument called "namespace", a C++ keyword. The macro
// renames it for this header alone; everything it needs is included before.
#pragma once

#include <wayland-client.h>

#include "xdg-shell-client-protocol.h"

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
