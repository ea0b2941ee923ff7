#include <iostream>

#include "ToolFiles.h"
#include "Velcat.h"

int main(int argc, char** argv) { return RunVelcat(ToolArguments(argc, argv), std::cout, std::cerr); }
