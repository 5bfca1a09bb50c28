#pragma once
#include "r.h"
