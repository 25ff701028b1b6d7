// Scene-script module: the script interpreter and the texture list it fills.
#pragma once
#include "x3d/x3dmaterial.h"
#include "x3d/x3dscene.h"
