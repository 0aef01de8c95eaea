// illsxmk-replay: plays a scripted viewer session through the markup library.
#include "Replay.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return replay::RunCommandLine(args, std::cout, std::cerr);
}
