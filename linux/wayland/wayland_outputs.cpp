#include "linux/wayland/wayland_outputs.h"

#include <wayland-client.h>

#include <algorithm>

namespace {

// v2 brings the scale and the end of a batch of state (done), v3 release,
// v4 the name.
constexpr std::uint32_t outputVersion = 4;
constexpr std::uint32_t leastOutputVersion = 2;

WaylandOutput& outputOf(void* data) { return *static_cast<WaylandOutput*>(data); }

void outputHandleGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                          const char*, const char*, std::int32_t)
{
}

void outputHandleMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                      std::int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        outputOf(data).pixelWidth = width;
        outputOf(data).pixelHeight = height;
    }
}

// The first done lets the output's surface be made; what changes after is
// read from the record as it stands.
void outputHandleDone(void* data, wl_output*) { outputOf(data).stateSent = true; }

void outputHandleScale(void* data, wl_output*, std::int32_t factor) { outputOf(data).scale = std::max(1, factor); }

void outputHandleName(void* data, wl_output*, const char* name) { outputOf(data).name = name; }

void outputHandleDescription(void*, wl_output*, const char*) {}

const wl_output_listener outputListener = {outputHandleGeometry, outputHandleMode, outputHandleDone,
                                           outputHandleScale,    outputHandleName, outputHandleDescription};

} // namespace

bool outputVersionUsable(std::uint32_t version) { return version >= leastOutputVersion; }

WaylandOutput::WaylandOutput(wl_registry* registry, std::uint32_t name, std::uint32_t version)
    : globalName(name),
      output(static_cast<wl_output*>(
          wl_registry_bind(registry, name, &wl_output_interface, std::min(version, outputVersion))))
{
    wl_output_add_listener(output, &outputListener, this);
}

WaylandOutput::~WaylandOutput()
{
    if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output);
    else
        wl_output_destroy(output);
}
