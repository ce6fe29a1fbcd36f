// The preview's picture and its tick: paced as the saver, skipped while the
// window is minimised, the hidden time left out of the scene's clock.
#include "linux/settings/preview_widget.h"

#include "linux/common/options.h"

#include <gtk/gtk.h>

namespace {

// The preview's size before the window is resized: 16:10, small enough that
// software GL draws it at the saver's rate for a fraction of a core.
constexpr int previewWidth = 480;
constexpr int previewHeight = 300;
constexpr std::int64_t microsecondsPerMillisecond = 1000;
constexpr gsize rgbBytesPerPixel = 3;
constexpr const char* previewName = "Live preview of the Cascade screen saver";
// A gap between ticks this much longer than a frame is time the preview was
// not shown (the compositor sends no frames for a hidden window).
constexpr std::int64_t shownGapFrames = 4;

} // namespace

PreviewWidget::PreviewWidget(std::function<void(const std::string&)> failed) : failed_(std::move(failed))
{
    picture_ = gtk_picture_new();
    g_object_ref_sink(picture_);
    gtk_picture_set_can_shrink(GTK_PICTURE(picture_), TRUE);
    gtk_picture_set_content_fit(GTK_PICTURE(picture_), GTK_CONTENT_FIT_FILL);
    // GTK 4.8 does not pass the alternative text on as the picture's name.
    gtk_accessible_update_property(GTK_ACCESSIBLE(picture_), GTK_ACCESSIBLE_PROPERTY_LABEL, previewName, -1);
    // The picture lies over a box of the preview's size: a picture asks for
    // its texture's size, and each frame drawn at its size would then ask
    // for more room, until the preview had taken the whole window.
    GtkWidget* room = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_size_request(room, previewWidth, previewHeight);
    gtk_widget_set_hexpand(room, TRUE);
    overlay_ = gtk_overlay_new();
    g_object_ref_sink(overlay_);
    gtk_overlay_set_child(GTK_OVERLAY(overlay_), room);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay_), picture_);
    g_signal_connect_swapped(picture_, "map", G_CALLBACK(+[](PreviewWidget* self) { self->mapped(); }), this);
    g_signal_connect_swapped(picture_, "unmap", G_CALLBACK(+[](PreviewWidget* self) { self->unmapped(); }), this);
}

PreviewWidget::~PreviewWidget()
{
    unmapped();
    g_signal_handlers_disconnect_by_data(picture_, this);
    g_object_unref(picture_);
    g_object_unref(overlay_);
}

void PreviewWidget::mapped()
{
    if (tickId_ || broken_)
        return;
    auto onTick = +[](GtkWidget*, GdkFrameClock* clock, gpointer self) -> gboolean {
        return static_cast<PreviewWidget*>(self)->tick(clock) ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    };
    tickId_ = gtk_widget_add_tick_callback(picture_, onTick, this, nullptr);
}

void PreviewWidget::unmapped()
{
    if (tickId_)
        gtk_widget_remove_tick_callback(picture_, tickId_);
    tickId_ = 0;
}

bool PreviewWidget::windowMinimised() const
{
    GtkNative* native = gtk_widget_get_native(picture_);
    GdkSurface* surface = native ? gtk_native_get_surface(native) : nullptr;
    return !surface || !GDK_IS_TOPLEVEL(surface) ||
           (gdk_toplevel_get_state(GDK_TOPLEVEL(surface)) & GDK_TOPLEVEL_STATE_MINIMIZED) != 0;
}

// Paced as the saver is: no more than one frame per -delay's default.
bool PreviewWidget::tick(GdkFrameClock* clock)
{
    const std::int64_t now = gdk_frame_clock_get_frame_time(clock);
    const std::int64_t since = now - lastFrameUs_;
    // The first frame shows the window without the preview: the scene's
    // start (its textures, the GL context) is not worth a later window.
    if (lastFrameUs_ == 0) {
        lastFrameUs_ = now;
        return true;
    }
    if (since < defaultDelayMicroseconds)
        return true;
    if (windowMinimised())
        return true;
    if (since > shownGapFrames * defaultDelayMicroseconds)
        renderer_.skipTime((since - defaultDelayMicroseconds) / microsecondsPerMillisecond);
    lastFrameUs_ = now;
    drawFrame();
    return !broken_;
}

void PreviewWidget::drawFrame()
{
    const int scale = gtk_widget_get_scale_factor(picture_);
    const int width = gtk_widget_get_width(picture_) * scale;
    const int height = gtk_widget_get_height(picture_) * scale;
    if (width <= 0 || height <= 0)
        return;
    std::string error;
    if (!renderer_.draw(width, height, pixels_, error)) {
        broken_ = true;
        tickId_ = 0;
        failed_("The preview cannot be drawn: " + error + ".");
        return;
    }
    GBytes* bytes = g_bytes_new(pixels_.data(), pixels_.size());
    GdkTexture* texture = gdk_memory_texture_new(width, height, GDK_MEMORY_R8G8B8, bytes,
                                                 static_cast<gsize>(width) * rgbBytesPerPixel);
    gtk_picture_set_paintable(GTK_PICTURE(picture_), GDK_PAINTABLE(texture));
    g_object_unref(texture);
    g_bytes_unref(bytes);
}
