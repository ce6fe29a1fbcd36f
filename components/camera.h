// The viewer's lens and placement, turned into the GL projection and
// modelview matrices.
#pragma once

#include "components/vector_types.h"

class Backdrop;

class Camera {
public:
    Camera();
    virtual ~Camera();

    // Multiplies the view onto the current (identity) modelview matrix.
    void applyView();
    // Replaces the projection and leaves an identity modelview current; the
    // aspect ratio is the picture band's between the letterbox bars.
    void applyProjection(const Backdrop& backdrop);

    double fov = 90.0;
    Vec3f position;
    Vec3f rotation;
    float nearPlane = 0.1f;
    float farPlane = 100.0f;
    float eyeDistance = -1.0f;
};
