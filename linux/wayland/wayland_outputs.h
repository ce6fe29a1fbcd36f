// One of the compositor's outputs (monitors): its name, size in pixels and
// integer scale as it reports them and, full screen, the surface that covers
// it and, once the session is locked, its lock surface, which the record owns. The record is its wl_output's listener data.
// WaylandSurfaces follows the outputs as they come and go: it binds and
// drops the records, and makes and destroys their surfaces.
#pragma once

#include "linux/wayland/shown_surface.h"

#include <cstdint>
#include <memory>
#include <string>

struct wl_output;
struct wl_registry;

struct WaylandOutput {
    WaylandOutput(wl_registry* registry, std::uint32_t name, std::uint32_t version);
    WaylandOutput(const WaylandOutput&) = delete;
    WaylandOutput& operator=(const WaylandOutput&) = delete;
    // Releases the wl_output; its surface must be destroyed before.
    ~WaylandOutput();

    std::uint32_t globalName = 0;
    wl_output* output = nullptr;
    std::string name;       // "HEADLESS-1", "DP-2"; empty before wl_output v4
    int scale = 1;          // buffer pixels per surface unit
    int pixelWidth = 0;     // the current mode
    int pixelHeight = 0;
    bool stateSent = false; // all its state has come at least once
    bool covered = false;   // full screen: its surface was made (one the compositor closed is not made again)
    std::unique_ptr<ShownSurface> shown;
    bool lockCovered = false; // its lock surface was made
    std::unique_ptr<ShownSurface> lockShown;
};

// Whether a wl_output offered at version can be followed: older ones send
// neither their scale nor the end of a batch of state.
bool outputVersionUsable(std::uint32_t version);
