#include "matrix_ops.h"

#include <cmath>

void axisAngleMatrix(double angle, const double axis[3], Matrix3 out) {
  const double x = axis[0], y = axis[1], z = axis[2];
  const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
  out[0] = x * x * t + c;
  out[1] = x * y * t + z * s;
  out[2] = x * z * t - y * s;
  out[3] = x * y * t - z * s;
  out[4] = y * y * t + c;
  out[5] = y * z * t + x * s;
  out[6] = x * z * t + y * s;
  out[7] = y * z * t - x * s;
  out[8] = z * z * t + c;
}

void rotateMatrix(Matrix3 r, double angle, const double axis[3]) {
  Matrix3 turn;
  axisAngleMatrix(angle, axis, turn);
  Matrix3 product;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      product[i * 3 + j] = turn[i * 3 + 0] * r[0 * 3 + j] + turn[i * 3 + 1] * r[1 * 3 + j] +
                           turn[i * 3 + 2] * r[2 * 3 + j];
    }
  }
  for (int k = 0; k < 9; ++k) r[k] = product[k];
}

void invertMatrix3(const Matrix3 a, Matrix3 out) {
  const double determinant = a[0] * (a[4] * a[8] - a[5] * a[7]) -
                             a[1] * (a[3] * a[8] - a[5] * a[6]) +
                             a[2] * (a[3] * a[7] - a[4] * a[6]);
  out[0] = (a[4] * a[8] - a[5] * a[7]) / determinant;
  out[1] = (a[2] * a[7] - a[1] * a[8]) / determinant;
  out[2] = (a[1] * a[5] - a[2] * a[4]) / determinant;
  out[3] = (a[5] * a[6] - a[3] * a[8]) / determinant;
  out[4] = (a[0] * a[8] - a[2] * a[6]) / determinant;
  out[5] = (a[2] * a[3] - a[0] * a[5]) / determinant;
  out[6] = (a[3] * a[7] - a[4] * a[6]) / determinant;
  out[7] = (a[1] * a[6] - a[0] * a[7]) / determinant;
  out[8] = (a[0] * a[4] - a[1] * a[3]) / determinant;
}

void toHomogeneousMatrix(const Matrix3 a, HostMatrix out) {
  for (int i = 0; i < 3; ++i) {
    const double length =
        std::sqrt(a[i * 3] * a[i * 3] + a[i * 3 + 1] * a[i * 3 + 1] + a[i * 3 + 2] * a[i * 3 + 2]);
    for (int j = 0; j < 3; ++j) out[j][i] = a[i * 3 + j] / length;
    out[i][3] = 0.0;
    out[3][i] = 0.0;
  }
  out[3][3] = 1.0;
}

void normalize(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (int i = 0; i < 3; ++i) v[i] /= length;
}

void viewAxesMatrix(const HostMatrix view, HostMatrix out) {
  Matrix3 transposed;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) transposed[i * 3 + j] = view[j][i];
  }
  Matrix3 inverse;
  invertMatrix3(transposed, inverse);
  toHomogeneousMatrix(inverse, out);
}
