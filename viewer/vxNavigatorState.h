// vxNavigatorState: a navigator state bit held for the life of a scope (the navigator's units
// only).
#pragma once

#include "viewer/vxDrawingNavigator.h"

namespace vx {

// Sets a state bit for the life of the scope (restoring what it was).
class TvxNavigatorStateScope {
 public:
  TvxNavigatorStateScope(TvxDrawingNavigator* n, TvxDrawingNavigatorState s)
      : FNav(n), FState(s), FWas(n->HasState(s)) {
    n->SetState(s, true);
  }
  ~TvxNavigatorStateScope() { FNav->SetState(FState, FWas); }
  TvxNavigatorStateScope(const TvxNavigatorStateScope&) = delete;
  TvxNavigatorStateScope& operator=(const TvxNavigatorStateScope&) = delete;

 private:
  TvxDrawingNavigator* FNav;
  TvxDrawingNavigatorState FState;
  bool FWas;
};

}  // namespace vx
