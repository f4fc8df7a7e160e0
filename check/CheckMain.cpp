// quillfin-check: the teacher's checker as a console program.
#include <iostream>

#include "check/Report.h"

int main(int argc, char** argv) { return RunChecker(argc, argv, std::cout, std::cerr); }
