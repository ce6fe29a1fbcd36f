// The password prompt drawn over the scene on each lock surface: a box in
// the middle with the user's name, one dot per typed character, the
// keyboard's row (Caps Lock, Num Lock, the layout) and what the prompt has
// to say ("checking", "wrong password", PAM's own words), in the built-in
// bitmap font. One draw of a few hundred small quads, so that a frame with the
// prompt costs about what one with -fps does (bench/lock_prompt_bench).
#pragma once

#include "linux/common/bitmap_font.h"
#include "linux/lock/password_prompt.h"

#include <string>

class PromptOverlay {
public:
    // A name longer than the box is cut, once, here.
    PromptOverlay(const PasswordPrompt& prompt, const std::string& user);

    // Draws the prompt, where it is shown, into the current draw
    // framebuffer of width x height pixels, leaving the GL state as it was.
    void draw(int width, int height) const;
    // The same, shown or not: GL's first draw of it, before the lock is
    // asked for, is where software GL finds the memory its drawing needs.
    void drawShown(int width, int height) const;
    // Where it is shown, into sink, for a picture GL could not draw.
    void paint(QuadSink& sink, int width, int height) const;

private:
    void emit(QuadSink& sink, int width, int height) const;
    void emitDots(QuadSink& sink, int left, int bottom, int dot) const;

    const PasswordPrompt& prompt_;
    std::string user_;
};
