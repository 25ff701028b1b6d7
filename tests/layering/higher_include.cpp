// Must not compile: the sprite library sees only its own layer and those below it, so the
// presentation's header is out of its reach. Built on purpose by the layering test.
#include "x2d/x2dspr.h"
#include "demo/qvdemo.h"
