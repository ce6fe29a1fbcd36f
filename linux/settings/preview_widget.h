// The live preview in the settings window: a GtkPicture showing each frame
// of PreviewRenderer as a memory texture, at the widget's size and scale,
// drawn from a tick callback that exists only while the picture is mapped
// and draws nothing while its window is minimised.
#pragma once

#include "linux/settings/preview_renderer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;
typedef struct _GdkFrameClock GdkFrameClock;

class PreviewWidget {
public:
    // failed(message) is called once where the preview cannot be drawn;
    // the picture then stays as it was.
    explicit PreviewWidget(std::function<void(const std::string&)> failed);
    ~PreviewWidget();
    PreviewWidget(const PreviewWidget&) = delete;
    PreviewWidget& operator=(const PreviewWidget&) = delete;

    GtkWidget* widget() const { return overlay_; }

    // For the toolkit's callbacks.
    void mapped();
    void unmapped();
    bool tick(GdkFrameClock* clock);

private:
    bool windowMinimised() const;
    void drawFrame();

    std::function<void(const std::string&)> failed_;
    GtkWidget* overlay_ = nullptr;
    GtkWidget* picture_ = nullptr;
    PreviewRenderer renderer_;
    std::vector<std::uint8_t> pixels_;
    unsigned tickId_ = 0;
    std::int64_t lastFrameUs_ = 0;
    bool broken_ = false;
};
