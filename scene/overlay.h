// The full-window overlay: a SMOKE texture made once at set-up and laid over
// the backdrop, before the world, when the scene's overlayOn switch is on.
#pragma once

#include "textures/texture.h"

namespace cascade {

constexpr int overlayTextureCount = 20;
// Only element 0 is generated and drawn. Defined among the scene's instances,
// whose order of construction matters: each Texture empties the registry.
extern Texture textureSet[overlayTextureCount];

} // namespace cascade

// The last step of sceneReset: draws from the random sequence after the star
// cloud and before the streaks' first spawn.
void setUpOverlay();
// Runs in the backdrop's 2D view; leaves blending and texturing off.
void drawOverlay();
