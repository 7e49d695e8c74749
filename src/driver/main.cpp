// The entry point: relalg INPUT OUTPUT.
#include "driver/program.h"

int main(int argc, char** argv) { return relalg::program(argc, argv); }
