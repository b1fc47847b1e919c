#include "api/view_math.h"

#include <cmath>

namespace view_math {

namespace {
// Raw units to radians and to model units per datagram; small so one datagram is one small step.
constexpr double kRadPerUnit = 0.00005;
constexpr double kPanPerUnit = 0.0002;
constexpr double kZoomPerUnit = 0.0001;
}  // namespace

void identity(double m[4][4]) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[r][c] = r == c ? 1.0 : 0.0;
}

void copy(const double in[4][4], double out[4][4]) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out[r][c] = in[r][c];
}

void multiply(const double a[4][4], const double b[4][4], double out[4][4]) {
  double t[4][4];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += a[r][k] * b[k][c];
      t[r][c] = s;
    }
  copy(t, out);
}

void vectorTrf(const double in[3], const double m[4][4], double out[3]) {
  double t[3];
  for (int c = 0; c < 3; ++c) t[c] = in[0] * m[0][c] + in[1] * m[1][c] + in[2] * m[2][c];
  for (int c = 0; c < 3; ++c) out[c] = t[c];
}

void rotation(const double axis[3], double angle, double out[4][4]) {
  identity(out);
  double x = axis[0], y = axis[1], z = axis[2];
  double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  // Column-vector rotation transposed, since the host multiplies row vectors from the left.
  double col[3][3] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                      {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                      {t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) out[r][k] = col[k][r];
}

void navigate(double view[4][4], int tx, int ty, int tz, int rx, int ry, int rz) {
  static const double kAxes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const int turns[3] = {rx, ry, rz};
  for (int a = 0; a < 3; ++a) {
    if (turns[a] == 0) continue;
    double r[4][4];
    rotation(kAxes[a], turns[a] * kRadPerUnit, r);
    // The view maps model to screen; turning about a screen axis multiplies on the right.
    double keep[3] = {view[3][0], view[3][1], view[3][2]};
    multiply(view, r, view);
    for (int c = 0; c < 3; ++c) view[3][c] = keep[c];
  }
  view[3][0] += tx * kPanPerUnit;
  view[3][1] += ty * kPanPerUnit;
  if (tz != 0) {
    double f = 1.0 + tz * kZoomPerUnit;
    if (f < 0.5) f = 0.5;
    if (f > 2.0) f = 2.0;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) view[r][c] *= f;
  }
}

double orthoError(const double m[4][4]) {
  double rows[3][3];
  for (int r = 0; r < 3; ++r) {
    double n = std::sqrt(m[r][0] * m[r][0] + m[r][1] * m[r][1] + m[r][2] * m[r][2]);
    if (n == 0) return 1.0;
    for (int c = 0; c < 3; ++c) rows[r][c] = m[r][c] / n;
  }
  double worst = 0;
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      double d = rows[a][0] * rows[b][0] + rows[a][1] * rows[b][1] + rows[a][2] * rows[b][2];
      double e = std::fabs(d - (a == b ? 1.0 : 0.0));
      if (e > worst) worst = e;
    }
  return worst;
}

double scaleError(const double m[4][4]) {
  double worst = 0;
  for (int r = 0; r < 3; ++r) {
    double n = std::sqrt(m[r][0] * m[r][0] + m[r][1] * m[r][1] + m[r][2] * m[r][2]);
    if (std::fabs(n - 1) > worst) worst = std::fabs(n - 1);
  }
  return worst;
}

double determinant3(const double m[4][4]) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

bool isRigid(const double m[4][4], double tolerance) {
  if (m[0][3] != 0 || m[1][3] != 0 || m[2][3] != 0 || m[3][3] != 1) return false;
  return orthoError(m) <= tolerance && scaleError(m) <= tolerance && determinant3(m) > 0;
}

}  // namespace view_math
