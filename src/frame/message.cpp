#include "frame/message.h"

std::string sStatusMessage;
