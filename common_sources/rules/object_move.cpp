#include "object_move.h"

void OriginBox::add(const double origin[3]) {
  for (int i = 0; i < 3; ++i) {
    if (mIsEmpty || origin[i] < mMin[i]) mMin[i] = origin[i];
    if (mIsEmpty || origin[i] > mMax[i]) mMax[i] = origin[i];
  }
  mIsEmpty = false;
}

void OriginBox::centre(double centre[3]) const {
  for (int i = 0; i < 3; ++i) centre[i] = mMin[i] + (mMax[i] - mMin[i]) * 0.5;
}

void movedPlacement(const HostMatrix placement, const double centre[3], const double shift[3],
                    const double angles[3], const double x[3], const double y[3], const double z[3],
                    HostMatrix out) {
  const double* axes[3] = {x, y, z};
  Matrix3 r = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  if (angles[0] != 0.0) axisAngleMatrix(angles[0], x, r);
  if (angles[1] != 0.0) rotateMatrix(r, angles[1], y);
  if (angles[2] != 0.0) rotateMatrix(r, angles[2], z);
  double origin[3];
  for (int j = 0; j < 3; ++j) {
    origin[j] = centre[j];
    for (int i = 0; i < 3; ++i) origin[j] += (placement[3][i] - centre[i]) * r[i * 3 + j];
  }
  // The transposed orientation turned the other way round gives A * Rot(x) * Rot(y) * Rot(z).
  Matrix3 t;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t[i * 3 + j] = placement[j][i];
  for (int k = 0; k < 3; ++k)
    if (angles[k] != 0.0) rotateMatrix(t, -angles[k], axes[k]);
  toHomogeneousMatrix(t, out);
  const bool isShifted = shift[0] != 0.0 || shift[1] != 0.0 || shift[2] != 0.0;
  for (int j = 0; j < 3; ++j) {
    out[3][j] = origin[j];
    if (isShifted) out[3][j] += shift[0] * x[j] + shift[1] * y[j] + shift[2] * z[j];
  }
}
