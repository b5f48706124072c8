// A drawing to put basic entities into: entities go into the model-space block and are loaded
// through the converter, as a reader would do.
#pragma once

#include "database/core/DXFConv.h"
#include "database/entities/vxEntities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vx::test {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

inline void ExpectNear(const TFPoint& a, const TFPoint& b, double tol = 1e-9) {
  EXPECT_NEAR(a.X, b.X, tol);
  EXPECT_NEAR(a.Y, b.Y, tol);
  EXPECT_NEAR(a.Z, b.Z, tol);
}

class EntitiesTest : public ::testing::Test {
 protected:
  // A drawing built in code: the default tables (line types "BYLAYER"... and layer "0").
  EntitiesTest() : conv(TvxDXFConverter::Create()) {
    conv->InitializeSectionsBegin();
    conv->InitializeSectionsEnd(false);
  }
  ~EntitiesTest() override { conv->Release(); }

  // Hands e to the model space (which owns it from now on).
  template <class T>
  T* Add(T* e) {
    EXPECT_GE(conv->ModelSpaceBlock()->AddEntity(e), 0);
    return e;
  }
  // Adds and loads.
  template <class T>
  T* AddLoaded(T* e) {
    Add(e);
    conv->Loads(e);
    return e;
  }

  TvxDXFConverter* conv;
};

}  // namespace vx::test
