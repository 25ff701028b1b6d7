// Stand-in frames until each segment draws its own: the segment's scene, or its tunnel.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "demo/qvtimeline.h"
#include "fx/fxtoolkit.h"

void qvStandIn(int32_t k);
extern float standInTime[QV_SEGMENTS];

#define QV_STAND_IN(n)                                   \
  void qvSeg##n##Frame() { qvStandIn(1##n - 101); }      \
  void qvSeg##n##Reset() { standInTime[1##n - 101] = 0; }
QV_STAND_IN(01) QV_STAND_IN(02) QV_STAND_IN(03) QV_STAND_IN(04) QV_STAND_IN(05) QV_STAND_IN(06) QV_STAND_IN(07)
