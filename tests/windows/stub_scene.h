// A stand-in for the scene's three entry points that records how the host
// calls them and whether a GL context was current at the time.
#pragma once

namespace stubscene {

extern int starts;
extern int startWidth;
extern int startHeight;
extern bool contextAtStart;
extern int frames;
extern int releases;
extern bool contextAtRelease;

void reset();

} // namespace stubscene
