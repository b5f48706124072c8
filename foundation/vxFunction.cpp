#include "foundation/vxFunction.h"
