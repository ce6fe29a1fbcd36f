// The frame's background: a full clear, or a translucent quad over the last
// picture so moving things leave trails, with letterbox bars; plus the 2D view
// and the viewport of the picture band between the bars.
#pragma once

#include "components/vector_types.h"

class Backdrop {
public:
    // How a translucent fill is laid. blended: over whatever the frame has
    // drawn so far, with the depth buffer cleared first. alone: for a
    // framebuffer without a depth buffer, the bars and the fill are flushed
    // as a batch of their own, so that a software rasterizer can lay them
    // with its fast path for plain rectangles.
    enum class FadeWay { blended, alone };

    Backdrop();
    virtual ~Backdrop();

    void setColour(float r, float g, float b, float a);
    void clear();
    void set2DView();
    void setViewport(double width, double height, double letterbox);
    void setOrtho(double width, double height, double letterbox);

    Rect4d rect{0.0, 0.0, 100.0, 100.0};
    double alpha = 1.0;
    Colour4f colour{0.0f, 0.0f, 0.0f, 1.0f};
    float width;
    float height;
    float letterbox = 0.0f;
    FadeWay fadeWay = FadeWay::blended;

private:
    void setBlendedFill() const;
    void setAloneFill() const;
};
