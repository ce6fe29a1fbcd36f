// The saver itself calls none of these: they serve unused texture kinds, noise, sphere, tests.
#pragma once

float clampf(float x, float low, float high);
float maxf(float a, float b);
float minf(float a, float b);
int maxi(int a, int b);
int mini(int a, int b);
float wrapf(float x, float low, float high);
float fsin(float x);
float fcos(float x);
