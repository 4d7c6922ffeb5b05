// The group each parameter belongs to on the panel, as a path ("Oscillators/
// VCO 2"): formats that let a host arrange parameters in a tree show them so.
#pragma once

// Any thread; "" for an index that names no parameter.
const char* ParameterGroupOf(int index);
