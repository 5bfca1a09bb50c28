#include "frame/mainscreen.h"

int main()
{
    return FerntrackMain();
}
