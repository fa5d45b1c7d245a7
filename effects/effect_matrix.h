#pragma once
// Matrices of the effect trails and shapes, for row vectors with the translation in the
// fourth row.
#include "render3d/LMat.h"

// The rotation by `angle` radians about the axis (x, y, z), used as given: a unit axis gives a
// rotation.
void l3dMatrixRotationAxis(LMat& out, float x, float y, float z, float angle);
// The identity with (x, y, z, 1) as the fourth row.
void l3dMatrixTranslation(LMat& out, float x, float y, float z);
