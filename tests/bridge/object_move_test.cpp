// Moving selected components: the centre they turn about and one step of a placement.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "object_move.h"

namespace {

const double kHalfPi = std::acos(0.0);
const double kPi = 2 * kHalfPi;
const double kRoot = std::sqrt(0.5);

TEST(ObjectMoveTest, CentreIsTheMiddleOfTheOriginsBox) {
  const struct {
    std::vector<std::vector<double>> mOrigins;
    double mCentre[3];
  } rows[] = {
      {{}, {0, 0, 0}},
      {{{3, -4, 5}}, {3, -4, 5}},
      {{{-4, -4, -4}}, {-4, -4, -4}},
      {{{0, 0, 0}, {10, 0, 0}}, {5, 0, 0}},
      {{{1, 5, -2}, {3, -1, 4}, {2, 9, 0}}, {2, 4, 1}},
      {{{2, 2, 2}, {2, 2, 2}}, {2, 2, 2}},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    OriginBox box;
    for (const std::vector<double>& origin : rows[row].mOrigins) box.add(origin.data());
    double g[3];
    box.centre(g);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(g[i], rows[row].mCentre[i]) << "row " << row;
  }
}

// Shifts, turns along a turned view's axes, and a component turned before the move turning about
// its own origin are the turned-component scenario's; a shift worked by hand, the object move calls
// test's.
TEST(ObjectMoveTest, PlacementTurnsAboutTheCentre) {
  const double kX[3] = {1, 0, 0}, kY[3] = {0, 1, 0}, kZ[3] = {0, 0, 1};
  const double kNoShift[3] = {0, 0, 0};
  const struct {
    double mPlacement[4][4];
    double mCentre[3];
    double mAngles[3];
    double mExpected[4][4];
  } rows[] = {
      // A quarter turn about Z takes the origin from +X to +Y and the axes with it.
      {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {10, 0, 0, 1}},
       {0, 0, 0},
       {0, 0, kHalfPi},
       {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 10, 0, 1}}},
      // Nothing to do: the orientation's columns come out with unit length, the origin stays.
      {{{1, 1, 0, 0}, {0, 1, 0, 0}, {0, 0, 2, 0}, {7, 8, 9, 1}},
       {0, 0, 0},
       {0, 0, 0},
       {{1, kRoot, 0, 0}, {0, kRoot, 0, 0}, {0, 0, 1, 0}, {7, 8, 9, 1}}},
      // A quarter turn about X around a centre off the origin.
      {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {5, 0, 10, 1}},
       {5, 0, 0},
       {kHalfPi, 0, 0},
       {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {5, -10, 0, 1}}},
      // Two turns: the origin by Rot(y) then Rot(x), the axes by A Rot(x) Rot(y).
      {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 1}},
       {0, 0, 0},
       {kHalfPi, kHalfPi, 0},
       {{0, 0, -1, 0}, {1, 0, 0, 0}, {0, -1, 0, 0}, {0, 1, 0, 1}}},
      // A half turn about the centre between two origins swaps them.
      {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {10, 0, 0, 1}},
       {5, 0, 0},
       {0, 0, kPi},
       {{-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    HostMatrix out;
    movedPlacement(rows[row].mPlacement, rows[row].mCentre, kNoShift, rows[row].mAngles, kX, kY, kZ,
                   out);
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        EXPECT_NEAR(out[i][j], rows[row].mExpected[i][j], 1e-12)
            << "row " << row << " at " << i << "," << j;
      }
    }
  }
}

}  // namespace
