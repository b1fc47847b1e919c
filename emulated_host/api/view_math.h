// Matrix helpers for host views and placements. Host matrices are used with row vectors: a point p
// maps to p*M, rows 0..2 are the images of the axes, row 3 the translation.
#ifndef KX_EMULATED_HOST_VIEW_MATH_H
#define KX_EMULATED_HOST_VIEW_MATH_H

namespace view_math {

void identity(double m[4][4]);
void copy(const double in[4][4], double out[4][4]);
void multiply(const double a[4][4], const double b[4][4], double out[4][4]);
// Only the rotation part: directions do not move with the translation.
void vectorTrf(const double in[3], const double m[4][4], double out[3]);
// Rotation by angle (radians) about a unit axis, right-handed, for row vectors.
void rotation(const double axis[3], double angle, double out[4][4]);
// The host's own navigation: turns the view about the screen axes and pans it in the screen plane.
// Inputs are raw device units of a six-axis motion.
void navigate(double view[4][4], int tx, int ty, int tz, int rx, int ry, int rz);
// Largest deviation of the upper-left 3x3, each row scaled to unit length, from orthonormality.
double orthoError(const double m[4][4]);
// Largest deviation of a row length of the upper-left 3x3 from 1.
double scaleError(const double m[4][4]);
double determinant3(const double m[4][4]);
// A turn and a shift, nothing else: orthonormal rows (within the tolerance), no mirroring, and the
// last column (0, 0, 0, 1).
bool isRigid(const double m[4][4], double tolerance);

}  // namespace view_math

#endif
