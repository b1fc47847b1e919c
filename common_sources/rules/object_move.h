// One step of moving selected assembly components with the cap: the centre they turn about and a
// component's new placement.
#pragma once

#include "matrix_ops.h"

// The middle of the box around the components' origins; (0, 0, 0) while there is none.
class OriginBox {
 public:
  void add(const double origin[3]);
  void centre(double centre[3]) const;

 private:
  bool mIsEmpty = true;
  double mMin[3] = {0, 0, 0};
  double mMax[3] = {0, 0, 0};
};

// The placement after one step: the origin turned about the centre by Rot(z)Rot(y)Rot(x), the
// axes turned by the same angles, then the origin shifted along the view axes. An angle of exactly
// 0 skips its turn; the orientation's columns come out with unit length.
void movedPlacement(const HostMatrix placement, const double centre[3], const double shift[3],
                    const double angles[3], const double x[3], const double y[3], const double z[3],
                    HostMatrix out);
