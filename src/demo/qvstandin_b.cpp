// Stand-in frames for segments 8 to 15 until each draws its own.
#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "demo/qvtimeline.h"

void qvStandIn(int32_t k);
extern float standInTime[QV_SEGMENTS];
extern uint16_t standInOffset;

#define QV_STAND_IN(n)                                   \
  void qvSeg##n##Frame() { qvStandIn(1##n - 101); }      \
  void qvSeg##n##Reset() { standInTime[1##n - 101] = standInOffset = 0; }
QV_STAND_IN(08) QV_STAND_IN(09) QV_STAND_IN(10) QV_STAND_IN(11) QV_STAND_IN(12) QV_STAND_IN(13) QV_STAND_IN(14) QV_STAND_IN(15)
