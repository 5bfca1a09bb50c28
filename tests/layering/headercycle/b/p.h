#pragma once
#include "b/q.h"
