#include <cstring>

#include "frame/arguments.h"
#include "frame/mainscreen.h"
#include "report/batch.h"

int main(int argc, char** argv)
{
    // `ferntrack report ...` writes a report without the terminal; a log
    // named "report" is still read as ./report.
    if (argc > 1 && strcmp(argv[1], "report") == 0)
        return BatchReportMain(argc - 2, argv + 2);
    int status = HandleArguments(argc, argv);
    if (status >= 0)
        return status;
    return FerntrackMain();
}
