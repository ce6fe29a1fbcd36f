// Shorthands for comparing the recording GL double's log with an expected
// sequence of calls.
#pragma once

#include "components/gl_api.h"
#include "recording_gl.h"

#include <vector>

using gldouble::Call;
using Calls = std::vector<Call>;

inline Calls vertices2f(std::initializer_list<float> xy)
{
    Calls calls;
    for (auto it = xy.begin(); it != xy.end(); it += 2)
        calls.push_back(Call("glVertex2f", {it[0], it[1]}));
    return calls;
}

inline Calls operator+(Calls a, const Calls& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
