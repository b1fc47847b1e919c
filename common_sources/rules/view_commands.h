// The standard view orientations of the controller's view buttons.
#pragma once

#include <cstdint>

#include "matrix_ops.h"

// The pure orientation for a view button code; false for codes that are no standard view.
bool standardViewMatrix(int32_t code, HostMatrix out);
