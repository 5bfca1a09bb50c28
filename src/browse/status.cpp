#include "browse/status.h"

std::string sStatusMessage;
