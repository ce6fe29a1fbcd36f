// Linear distance fog parameters. Turning GL_FOG on and off is the caller's.
#pragma once

#include "components/vector_types.h"

class Fog {
public:
    Fog();
    virtual ~Fog();

    void setColour(float r, float g, float b, float a);
    void apply();

    Colour4f colour{0.0f, 0.0f, 0.0f, 1.0f};
    float start = 0.2f;
    float end = 2.0f;
};
