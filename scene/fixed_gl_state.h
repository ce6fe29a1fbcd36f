// The GL state every host sets once, right after its context becomes current
// and before sceneStart. Shared by the Windows host and the Linux front so the
// scene starts from the same state on both.
#pragma once

void applyFixedGLState();
