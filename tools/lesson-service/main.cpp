#include <iostream>

#include "tools/lesson-service/command_line.h"

int main(int argc, char** argv) {
  return RunCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
