#include "engine/Noise.h"

std::int32_t gNoiseSeed = 1;
