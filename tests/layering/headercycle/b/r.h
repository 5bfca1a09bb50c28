// Named beside itself: reaches p through a bare name.
#pragma once
#include "p.h"
