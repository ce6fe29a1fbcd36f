// The password prompt drawn over the scene on each lock surface: a box in
// the middle with the user's name, one dot per typed character, the
// keyboard's row (Caps Lock, Num Lock, the layout) and what the prompt has
// to say ("checking", "wrong password", PAM's own words), in the built-in
// bitmap font. One draw of a few hundred small quads, so that a frame with the
// prompt costs about what one with -fps does (bench/lock_prompt_bench).
#pragma once

#include "linux/lock/password_prompt.h"

#include <string>

class PromptOverlay {
public:
    // A name longer than the box is cut, once, here.
    PromptOverlay(const PasswordPrompt& prompt, const std::string& user);

    // Draws the prompt, where it is shown, into the current draw
    // framebuffer of width x height pixels, leaving the GL state as it was.
    void draw(int width, int height) const;

private:
    void emitDots(int left, int bottom, int dot) const;

    const PasswordPrompt& prompt_;
    std::string user_;
};
