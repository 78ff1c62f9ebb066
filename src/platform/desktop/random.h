#pragma once

// Random numbers seeded from the time of day; tests replace the source.

#include <functional>

namespace platform {

// Seeds the generator from the time of day (Randomize).
void Randomize();
// A uniform value in [0, 1) (Rnd).
double Rnd();
// Replaces the source; an empty function restores the generator.
void SetRandomSource(std::function<double()> source);

}  // namespace platform
