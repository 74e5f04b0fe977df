#include "app/startup.h"

int main(int argc, char** argv) { return sun_calculator_main(argc, argv); }
