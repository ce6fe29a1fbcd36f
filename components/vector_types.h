#pragma once

struct Vec3f {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Colour4f {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

struct Rect4d {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
};
