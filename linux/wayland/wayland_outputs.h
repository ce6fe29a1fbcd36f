// The compositor's outputs (monitors) as they come and go: each one's name,
// size in pixels and integer scale, and word to the follower (the full-screen
// saver's surfaces) once an output has sent its state and before it goes.
#pragma once

#include "linux/wayland/wayland_display.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_output;

struct WaylandOutput {
    std::uint32_t globalName = 0;
    wl_output* output = nullptr;
    std::string name;       // "HEADLESS-1", "DP-2"; empty before wl_output v4
    int scale = 1;          // buffer pixels per surface unit
    int pixelWidth = 0;     // the current mode
    int pixelHeight = 0;
    bool announced = false; // the follower has been told it is there
};

class WaylandOutputs final : public WaylandGlobalFollower {
public:
    using Change = std::function<void(WaylandOutput&)>;

    WaylandOutputs() = default;
    WaylandOutputs(const WaylandOutputs&) = delete;
    WaylandOutputs& operator=(const WaylandOutputs&) = delete;
    ~WaylandOutputs() override;

    // ready: an output has sent all its state for the first time (later
    // changes of scale or mode reach the surfaces through their own events);
    // gone: it is about to be released.
    void follow(Change ready, Change gone);

    bool globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) override;
    void globalRemoved(std::uint32_t name) override;

    // The entry for a wl_output, or null (an output already gone).
    WaylandOutput* find(const wl_output* output) const;

    // For the outputs' listener.
    void stateDone(WaylandOutput& output);

private:
    void release(WaylandOutput& output);

    std::vector<std::unique_ptr<WaylandOutput>> outputs_;
    Change ready_;
    Change gone_;
};
