// Which way the Wayland saver shows its picture on its surfaces. Through EGL
// window surfaces, the driver's own way: where a GPU draws, the copies into
// them are its work. Through shared memory the saver fills itself
// (shm_presenter.h): where GL draws in software every copy is the CPU's, and
// EGL's way costs one more a frame. The renderer GL names decides;
// CASCADE_WAYLAND_PRESENT=egl or =shm overrides it, so that either way can be
// tested and measured on one machine.
#pragma once

enum class PresentPath { Egl, Shm };

// renderer: GL_RENDERER's text; requested: the override's text, or null.
PresentPath choosePresentPath(const char* renderer, const char* requested);
const char* presentPathName(PresentPath path);
