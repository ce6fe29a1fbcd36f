// The saver draws no sprite: only tests use SpriteQuad.
// A textured quad that always faces the camera, spun in the screen plane.
// The caller translates to where it should stand, binds its texture and sets
// the colour.
#pragma once

class Camera;

class SpriteQuad {
public:
    SpriteQuad();
    virtual ~SpriteQuad();

    // Only the camera's rotation is read; spin is in degrees about the view axis.
    void draw(const Camera& camera, double spin);

    float halfWidth = 1.0f;
    float halfHeight;
    float texLeft = 0.0f;
    float texBottom = 0.0f;
    float texRight = 1.0f;
    float texTop = 1.0f;
};
