// quorvane: the desktop client of the tender service. Takes no arguments and reads no
// configuration file; QUORVANE_SERVICE_HOST names another service host.

#include "app/Program.h"

int main(int argc, char** argv) {
    return qv::app::RunProgram(argc, argv);
}
