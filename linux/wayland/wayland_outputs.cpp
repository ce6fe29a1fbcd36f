#include "linux/wayland/wayland_outputs.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

namespace {

// v2 brings the scale and the end of a batch of state (done), v3 release,
// v4 the name.
constexpr std::uint32_t outputVersion = 4;
constexpr std::uint32_t leastOutputVersion = 2;

struct OutputContext {
    WaylandOutputs* outputs;
    WaylandOutput* entry;
};

WaylandOutput& entryOf(void* data) { return *static_cast<OutputContext*>(data)->entry; }

void outputHandleGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                          const char*, const char*, std::int32_t)
{
}

void outputHandleMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                      std::int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        entryOf(data).pixelWidth = width;
        entryOf(data).pixelHeight = height;
    }
}

void outputHandleDone(void* data, wl_output*)
{
    auto* context = static_cast<OutputContext*>(data);
    context->outputs->stateDone(*context->entry);
}

void outputHandleScale(void* data, wl_output*, std::int32_t factor) { entryOf(data).scale = std::max(1, factor); }

void outputHandleName(void* data, wl_output*, const char* name) { entryOf(data).name = name; }

void outputHandleDescription(void*, wl_output*, const char*) {}

const wl_output_listener outputListener = {outputHandleGeometry, outputHandleMode, outputHandleDone,
                                           outputHandleScale,    outputHandleName, outputHandleDescription};

} // namespace

WaylandOutputs::~WaylandOutputs()
{
    while (!outputs_.empty())
        release(*outputs_.back());
}

void WaylandOutputs::follow(Change ready, Change gone)
{
    ready_ = std::move(ready);
    gone_ = std::move(gone);
}

bool WaylandOutputs::globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                                 std::uint32_t version)
{
    if (std::strcmp(interface, wl_output_interface.name) != 0)
        return false;
    if (version < leastOutputVersion)
        return true;
    auto entry = std::make_unique<WaylandOutput>();
    entry->globalName = name;
    entry->output = static_cast<wl_output*>(
        wl_registry_bind(registry, name, &wl_output_interface, std::min(version, outputVersion)));
    // Freed in release(), with the proxy whose user data it is.
    wl_output_add_listener(entry->output, &outputListener, new OutputContext{this, entry.get()});
    outputs_.push_back(std::move(entry));
    return true;
}

void WaylandOutputs::globalRemoved(std::uint32_t name)
{
    for (auto& entry : outputs_)
        if (entry->globalName == name) {
            release(*entry);
            return;
        }
}

WaylandOutput* WaylandOutputs::find(const wl_output* output) const
{
    for (const auto& entry : outputs_)
        if (entry->output == output)
            return entry.get();
    return nullptr;
}

void WaylandOutputs::stateDone(WaylandOutput& output)
{
    if (output.announced)
        return;
    output.announced = true;
    if (ready_)
        ready_(output);
}

void WaylandOutputs::release(WaylandOutput& output)
{
    if (output.announced && gone_)
        gone_(output);
    delete static_cast<OutputContext*>(wl_output_get_user_data(output.output));
    if (wl_output_get_version(output.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output.output);
    else
        wl_output_destroy(output.output);
    outputs_.erase(std::find_if(outputs_.begin(), outputs_.end(),
                                [&](const std::unique_ptr<WaylandOutput>& entry) { return entry.get() == &output; }));
}
