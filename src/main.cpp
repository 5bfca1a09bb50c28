#include "frame/arguments.h"
#include "frame/mainscreen.h"

int main(int argc, char** argv)
{
    int status = HandleArguments(argc, argv);
    if (status >= 0)
        return status;
    return FerntrackMain();
}
