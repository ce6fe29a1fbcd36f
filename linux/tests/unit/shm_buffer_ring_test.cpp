// The ring against a real libwayland-server in this process, joined by a
// socketpair: the server's wl_shm maps the pools the ring makes, so what it
// sees attached (size, stride, the pixels written) is what a compositor
// would, and its release events are the ones the ring must wait for.
#include "linux/wayland/shm_buffer_ring.h"

#include <gtest/gtest.h>
#include <wayland-client.h>
#include <wayland-server.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/socket.h>

namespace {

constexpr std::uint32_t compositorVersion = 4;
// A sync's answer comes in one pass over a socketpair; more means it never will.
constexpr int mostPasses = 10;

// The compositor's side: wl_surface.attach noted, every other request of
// wl_compositor and wl_surface taken and ignored.
struct Server {
    wl_display* display = wl_display_create();
    wl_client* client = nullptr;
    std::vector<wl_resource*> attached;
};

int dispatchSurface(const void* server, void* target, std::uint32_t opcode, const wl_message*, wl_argument* args)
{
    if (opcode == WL_SURFACE_DESTROY)
        wl_resource_destroy(static_cast<wl_resource*>(target));
    else if (opcode == WL_SURFACE_ATTACH)
        static_cast<Server*>(const_cast<void*>(server))->attached.push_back(reinterpret_cast<wl_resource*>(args[0].o));
    return 0;
}

int dispatchCompositor(const void* server, void* target, std::uint32_t opcode, const wl_message*, wl_argument* args)
{
    auto* compositor = static_cast<wl_resource*>(target);
    if (opcode == WL_COMPOSITOR_CREATE_SURFACE) {
        wl_resource* surface = wl_resource_create(wl_resource_get_client(compositor), &wl_surface_interface,
                                                  wl_resource_get_version(compositor), args[0].n);
        wl_resource_set_dispatcher(surface, dispatchSurface, server, nullptr, nullptr);
    }
    return 0;
}

void bindCompositor(wl_client* client, void* server, std::uint32_t version, std::uint32_t id)
{
    wl_resource* compositor = wl_resource_create(client, &wl_compositor_interface, static_cast<int>(version), id);
    wl_resource_set_dispatcher(compositor, dispatchCompositor, server, nullptr, nullptr);
}

struct Globals {
    wl_shm* shm = nullptr;
    wl_compositor* compositor = nullptr;
};

void handleGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0)
        globals->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        globals->compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, compositorVersion));
}
void handleGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener registryListener = {handleGlobal, handleGlobalRemove};

void handleDone(void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }
const wl_callback_listener doneListener = {handleDone};

struct Seen {
    int width, height, stride;
    std::uint32_t format, firstPixel;
};

class ShmBufferRingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        ASSERT_EQ(wl_display_init_shm(server_.display), 0);
        wl_global_create(server_.display, &wl_compositor_interface, compositorVersion, &server_, bindCompositor);
        server_.client = wl_client_create(server_.display, ends[0]);
        client_ = wl_display_connect_to_fd(ends[1]);
        ASSERT_TRUE(server_.client && client_);
        registry_ = wl_display_get_registry(client_);
        wl_registry_add_listener(registry_, &registryListener, &globals_);
        roundtrip();
        ASSERT_TRUE(globals_.shm && globals_.compositor);
        surface_ = wl_compositor_create_surface(globals_.compositor);
        ring_.reset(new ShmBufferRing(globals_.shm));
    }

    void TearDown() override
    {
        ring_.reset();
        if (surface_)
            wl_surface_destroy(surface_);
        if (globals_.compositor)
            wl_compositor_destroy(globals_.compositor);
        if (globals_.shm)
            wl_shm_destroy(globals_.shm);
        if (registry_)
            wl_registry_destroy(registry_);
        if (client_)
            wl_display_disconnect(client_);
        // wl_display_destroy leaves the clients; the leak checker would not.
        wl_display_destroy_clients(server_.display);
        wl_display_destroy(server_.display);
    }

    // Both ends dispatched here until the server has answered all sent.
    void roundtrip()
    {
        bool done = false;
        wl_callback* sync = wl_display_sync(client_);
        wl_callback_add_listener(sync, &doneListener, &done);
        for (int pass = 0; pass < mostPasses && !done && wl_display_get_error(client_) == 0; ++pass) {
            wl_display_flush(client_);
            wl_event_loop_dispatch(wl_display_get_event_loop(server_.display), 0);
            wl_display_flush_clients(server_.display);
            if (wl_display_prepare_read(client_) == 0)
                wl_display_read_events(client_);
            wl_display_dispatch_pending(client_);
        }
        wl_callback_destroy(sync);
        ASSERT_EQ(wl_display_get_error(client_), 0) << "the server refused a request";
        ASSERT_TRUE(done);
    }

    // A free buffer, its first pixel marked, attached as the presenter does
    // and committed; what the server got.
    ShmBufferRing::Buffer* show(int width, int height, std::uint32_t mark)
    {
        std::string error;
        ShmBufferRing::Buffer* buffer = ring_->freeBuffer(width, height, error);
        EXPECT_TRUE(error.empty()) << error;
        if (!buffer)
            return nullptr;
        *static_cast<std::uint32_t*>(buffer->pixels) = mark;
        ring_->attach(surface_, *buffer);
        wl_surface_commit(surface_);
        roundtrip();
        return buffer;
    }

    Seen lastSeen()
    {
        wl_shm_buffer* shm = wl_shm_buffer_get(server_.attached.back());
        if (!shm)
            return Seen{};
        wl_shm_buffer_begin_access(shm);
        const Seen seen = {wl_shm_buffer_get_width(shm), wl_shm_buffer_get_height(shm), wl_shm_buffer_get_stride(shm),
                           wl_shm_buffer_get_format(shm), *static_cast<std::uint32_t*>(wl_shm_buffer_get_data(shm))};
        wl_shm_buffer_end_access(shm);
        return seen;
    }

    int buffersOnServer()
    {
        int count = 0;
        wl_client_for_each_resource(server_.client, [](wl_resource* resource, void* counted) {
            if (std::strcmp(wl_resource_get_class(resource), wl_buffer_interface.name) == 0)
                ++*static_cast<int*>(counted);
            return WL_ITERATOR_CONTINUE;
        }, &count);
        return count;
    }

    // Every buffer the ring may make, at one size, attached and none released.
    std::vector<ShmBufferRing::Buffer*> fill(int width, int height)
    {
        std::vector<ShmBufferRing::Buffer*> shown;
        for (std::uint32_t mark = 1; mark <= ShmBufferRing::mostBuffers; ++mark) {
            shown.push_back(show(width, height, mark));
            if (!shown.back()) {
                ADD_FAILURE() << "no buffer " << mark << " of " << width << "x" << height;
                shown.pop_back();
                break;
            }
            const Seen seen = lastSeen();
            EXPECT_TRUE(seen.width == width && seen.height == height)
                << "buffer " << mark << " of " << width << "x" << height << " reached the server as " << seen.width
                << "x" << seen.height;
            EXPECT_EQ(seen.stride, width * 4);
            EXPECT_EQ(seen.format, static_cast<std::uint32_t>(WL_SHM_FORMAT_XRGB8888));
            EXPECT_EQ(seen.firstPixel, mark) << "the server reads other memory than the ring wrote";
        }
        return shown;
    }

    void release(std::size_t attachedIndex)
    {
        wl_buffer_send_release(server_.attached[attachedIndex]);
        roundtrip();
    }

    Server server_;
    wl_display* client_ = nullptr;
    wl_registry* registry_ = nullptr;
    Globals globals_;
    wl_surface* surface_ = nullptr;
    std::unique_ptr<ShmBufferRing> ring_;
};

TEST_F(ShmBufferRingTest, AttachedBuffersAreHandedOutAgainOnlyOnceReleasedAndNoMoreThanTheBoundAreMade)
{
    const std::vector<ShmBufferRing::Buffer*> shown = fill(64, 32);
    ASSERT_EQ(shown.size(), ShmBufferRing::mostBuffers);
    std::string error;
    EXPECT_EQ(ring_->freeBuffer(64, 32, error), nullptr) << "none released, yet one more was given";
    EXPECT_TRUE(error.empty()) << error;
    roundtrip();
    EXPECT_EQ(buffersOnServer(), static_cast<int>(ShmBufferRing::mostBuffers))
        << "a buffer still attached was handed out again, or more were made";

    release(1);
    EXPECT_EQ(ring_->freeBuffer(64, 32, error), shown[1]) << "the released buffer is not the one reused";
    ring_->attach(surface_, *shown[1]);
    EXPECT_EQ(ring_->freeBuffer(64, 32, error), nullptr) << "a buffer attached again was handed out";
    EXPECT_EQ(buffersOnServer(), static_cast<int>(ShmBufferRing::mostBuffers));
}

TEST_F(ShmBufferRingTest, BuffersOfTheOldSizeAreDroppedWhenWidthHeightOrBothChange)
{
    struct Size {
        int width, height;
    };
    // The width alone, then the height alone, then both.
    const Size sizes[] = {{64, 32}, {80, 32}, {80, 48}, {96, 60}};
    for (const Size& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        // One free buffer of the old size, that a ring keeping it would reuse.
        if (!server_.attached.empty())
            release(server_.attached.size() - 1);
        fill(size.width, size.height);
        EXPECT_EQ(buffersOnServer(), static_cast<int>(ShmBufferRing::mostBuffers))
            << "the server holds buffers of another size, or one buffer was attached twice";
    }
    // A size whose bytes overflow an int's stride is refused, not made with a
    // wrapped size the compositor would reject by ending the connection.
    std::string error;
    EXPECT_EQ(ring_->freeBuffer((1 << 30) + 1, 1, error), nullptr);
    EXPECT_FALSE(error.empty());
    roundtrip();
}

} // namespace
