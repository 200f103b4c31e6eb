#include "app/frostpane_app.h"

int main(int argc, char *argv[])
{
    return FMXmain(argc, argv);
}
