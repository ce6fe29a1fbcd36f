// Drawing in window pixels over a finished frame, for the frame-rate boxes of
// both Linux savers: the scene's state saved, set plain, and put back.
#pragma once

// While one lives, GL draws in pixels (origin lower left, width x height)
// with nothing on that would tint, fog, texture, blend or hide what is drawn.
// Its end puts back every bit of state it changed: the scene's passes rely
// on what the one before left behind. Only the groups changed here are
// saved; all of them (textures included) would cost more than the drawing.
class CornerDrawing {
public:
    CornerDrawing(int width, int height);
    ~CornerDrawing();
    CornerDrawing(const CornerDrawing&) = delete;
    CornerDrawing& operator=(const CornerDrawing&) = delete;
};
