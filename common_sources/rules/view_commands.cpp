#include "view_commands.h"

#include "kvx_ctrlr.h"

namespace {

// The angles are these rounded constants, not pi/2 and pi, so the presets carry tiny off-axis
// terms; users' saved views compare against exactly these.
constexpr double kQuarterTurn = 1.570795;
constexpr double kHalfTurn = 3.14159;

struct ViewPreset {
  int32_t mCode;
  double mAngle;
  double mAxis[3];
};

const ViewPreset kPresets[] = {
    {0x20009, 0.0, {0, 0, 0}},            // front
    {0x2000A, kQuarterTurn, {0, 1, 0}},   // right
    {0x2000B, -kQuarterTurn, {1, 0, 0}},  // top
    {0x20016, kHalfTurn, {0, 1, 0}},      // back
    {0x20017, -kQuarterTurn, {0, 1, 0}},  // left
    {0x20018, kQuarterTurn, {1, 0, 0}},   // bottom
};

}  // namespace

bool standardViewMatrix(int32_t code, HostMatrix out) {
  for (const ViewPreset& preset : kPresets) {
    if (preset.mCode != code) continue;
    Matrix3 r = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    if (preset.mAngle != 0.0) rotateMatrix(r, preset.mAngle, preset.mAxis);
    toHomogeneousMatrix(r, out);
    return true;
  }
  return false;
}
