// x uses y through its header only.
#pragma once
#include "a/y.h"
