#include "frame/mainloop.h"

int main()
{
    return FerntrackMain();
}
