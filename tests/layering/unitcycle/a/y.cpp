// y's source uses x: x and y depend on each other as units.
#include "a/y.h"
#include "a/x.h"
