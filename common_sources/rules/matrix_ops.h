// Rotation and view maths shared by the motion dispatch, object moves and view commands. Host
// matrices are 4x4 and used with row vectors (p' = p * M); a 3x3 matrix is 9 doubles, row-major.
#pragma once

typedef double Matrix3[9];
typedef double HostMatrix[4][4];

// Rotation by angle (radians) about the unit axis, right-hand rule, for row vectors.
void axisAngleMatrix(double angle, const double axis[3], Matrix3 out);
// R <- axisAngleMatrix(angle, axis) * R.
void rotateMatrix(Matrix3 r, double angle, const double axis[3]);
// Adjugate over determinant; a singular matrix yields infinities or NaNs, never a trap.
void invertMatrix3(const Matrix3 a, Matrix3 out);
// Columns of the result are the rows of a, each scaled to unit length; no translation.
void toHomogeneousMatrix(const Matrix3 a, HostMatrix out);
void normalize(double v[3]);
// The matrix that turns the screen's unit axes into model directions for a view matrix: the
// transpose of its rotation part, inverted, made homogeneous.
void viewAxesMatrix(const HostMatrix view, HostMatrix out);
