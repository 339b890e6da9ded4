#include "host_api.h"

int main(int argc, char** argv) { return qmlp::host::run_command(argc, argv); }
