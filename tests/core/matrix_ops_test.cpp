// Matrix operations, view axes and view presets against values worked out by hand.
#include "matrix_ops.h"

#include <gtest/gtest.h>

#include <cmath>

#include "macro_text.h"
#include "view_commands.h"

namespace {

constexpr double kTolerance = 1e-9;
const double kPi = std::acos(-1.0);

void expectMatrix3(const Matrix3 actual, const double expected[9], const char* what, size_t row) {
  for (int k = 0; k < 9; ++k) {
    EXPECT_NEAR(actual[k], expected[k], kTolerance) << what << " row " << row << " element " << k;
  }
}

TEST(MatrixOpsTest, AxisAngleMatrix) {
  const double h = std::sqrt(0.5);
  const struct {
    double mAngle;
    double mAxis[3];
    double mExpected[9];
  } rows[] = {
      {0.0, {0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      // Quarter turn about z: x goes to y (right-hand rule, row vectors).
      {kPi / 2, {0, 0, 1}, {0, 1, 0, -1, 0, 0, 0, 0, 1}},
      {kPi / 2, {1, 0, 0}, {1, 0, 0, 0, 0, 1, 0, -1, 0}},
      {-kPi / 2, {0, 1, 0}, {0, 0, 1, 0, 1, 0, -1, 0, 0}},
      {kPi, {0, 1, 0}, {-1, 0, 0, 0, 1, 0, 0, 0, -1}},
      // Quarter turn about the diagonal of the xy plane: c=0, s=1, t=1.
      {kPi / 2, {h, h, 0}, {0.5, 0.5, -h, 0.5, 0.5, h, h, -h, 0}},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    Matrix3 r;
    axisAngleMatrix(rows[row].mAngle, rows[row].mAxis, r);
    expectMatrix3(r, rows[row].mExpected, "axisAngleMatrix", row);
  }
}

TEST(MatrixOpsTest, RotateMatrixMultipliesFromTheLeft) {
  // First a quarter turn about x, then one about z: R = Rz * Rx.
  Matrix3 r = {1, 0, 0, 0, 0, 1, 0, -1, 0};
  const double z[3] = {0, 0, 1};
  rotateMatrix(r, kPi / 2, z);
  // Rz = {0,1,0, -1,0,0, 0,0,1}; Rz * Rx worked out row by row.
  const double expected[9] = {0, 0, 1, -1, 0, 0, 0, -1, 0};
  expectMatrix3(r, expected, "rotateMatrix", 0);
}

TEST(MatrixOpsTest, InvertMatrix3) {
  const struct {
    double mA[9];
    double mExpected[9];
  } rows[] = {
      {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {{2, 0, 0, 0, 4, 0, 0, 0, 0.5}, {0.5, 0, 0, 0, 0.25, 0, 0, 0, 2}},
      {{1, 0, 0, 1, 1, 0, 0, 0, 1}, {1, 0, 0, -1, 1, 0, 0, 0, 1}},
      {{0, -1, 0, 2, 0, 0, 0, 0, 3}, {0, 0.5, 0, -1, 0, 0, 0, 0, 1.0 / 3}},
      {{1, 2, 3, 0, 1, 4, 5, 6, 0}, {-24, 18, 5, 20, -15, -4, -5, 4, 1}},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    Matrix3 inverse;
    invertMatrix3(rows[row].mA, inverse);
    expectMatrix3(inverse, rows[row].mExpected, "invertMatrix3", row);
  }
}

TEST(MatrixOpsTest, ToHomogeneousMatrixPutsUnitRowsIntoColumns) {
  const Matrix3 a = {3, 0, 4, 0, 2, 0, 0, 0, -5};
  HostMatrix m;
  toHomogeneousMatrix(a, m);
  const double expected[4][4] = {{0.6, 0, 0, 0}, {0, 1, 0, 0}, {0.8, 0, -1, 0}, {0, 0, 0, 1}};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(m[i][j], expected[i][j], kTolerance) << i << "," << j;
  }
}

// getViewAxes applies the rotation part of this matrix to the unit axes, so its rows, made unit,
// are the model directions of the screen's x, y and z.
TEST(MatrixOpsTest, ViewAxesOfOrthonormalAndSkewedViews) {
  const double k = 1 / std::sqrt(1.5);
  const struct {
    const char* mName;
    double mView[3][3];
    double mAxes[3][3];  // X, Y, Z
  } rows[] = {
      {"front", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
      // Model x shows as screen y (scaled by 2), model y as screen -x, model z as screen z (x3).
      {"turned and scaled", {{0, 2, 0}, {-1, 0, 0}, {0, 0, 3}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}},
      // A shear is no rotation: the rows are normalised before the axes are read, which gives
      // (1, -1/sqrt2, 0) made unit for X.
      {"sheared",
       {{1, 1, 0}, {0, 1, 0}, {0, 0, 1}},
       {{k, -k * std::sqrt(0.5), 0}, {0, 1, 0}, {0, 0, 1}}},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    HostMatrix view = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {7, 8, 9, 1}};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) view[i][j] = rows[row].mView[i][j];
    }
    HostMatrix m;
    viewAxesMatrix(view, m);
    EXPECT_EQ(m[3][0], 0.0) << rows[row].mName << ": no translation";
    EXPECT_EQ(m[3][3], 1.0) << rows[row].mName;
    for (int axis = 0; axis < 3; ++axis) {
      double v[3] = {m[axis][0], m[axis][1], m[axis][2]};
      normalize(v);
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(v[c], rows[row].mAxes[axis][c], kTolerance)
            << "row " << row << " (" << rows[row].mName << ") axis " << axis << " component " << c;
      }
    }
  }
}

TEST(ViewCommandsTest, StandardViews) {
  const struct {
    int32_t mCode;
    double mRows[3][3];
  } rows[] = {
      {0x20009, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
      {0x2000A, {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}},  // model +X toward the viewer
      {0x2000B, {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}},  // model +Y toward the viewer
      {0x20016, {{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}},
      {0x20017, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}},
      {0x20018, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    HostMatrix m;
    ASSERT_TRUE(standardViewMatrix(rows[row].mCode, m)) << "row " << row;
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(m[i][j], rows[row].mRows[i][j], 1e-5) << "row " << row << " " << i << "," << j;
      }
      EXPECT_EQ(m[i][3], 0.0) << "row " << row;
      EXPECT_EQ(m[3][i], 0.0) << "row " << row;
    }
  }
  // The right view keeps the rounding of 1.570795: cos of it is about 1.3e-6, not 0.
  HostMatrix right;
  standardViewMatrix(0x2000A, right);
  EXPECT_NEAR(right[0][0], std::cos(1.570795), 1e-12);

  HostMatrix unused;
  for (int32_t code : {0x2000C, 0x2000D, 0x20013, 0x20015, 0x20019, 0}) {
    EXPECT_FALSE(standardViewMatrix(code, unused)) << "code " << code;
  }
}

TEST(MacroTextTest, CommandAndArgument) {
  const struct {
    const char* mEntry;
    const char* mMacro;
  } rows[] = {
      {"ProCmdViewRefit", "~ Command `ProCmdViewRefit`;"},
      {"ProCmdEnvMdlDisp*Wireframe", "~ Command `ProCmdEnvMdlDisp` `Wireframe`;"},
      {"ProCmdX*a*b", "~ Command `ProCmdX` `a*b`;"},
      {"ProCmdX*", "~ Command `ProCmdX`;"},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    EXPECT_EQ(buildMacroText(rows[row].mEntry), rows[row].mMacro) << "row " << row;
  }
}

}  // namespace
