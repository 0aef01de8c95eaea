// illsxmk-replay: plays a scripted viewer session through the markup library.
#include "Replay.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

// What the run does not handle itself (memory running out outside the replay, a stream that
// throws) ends it with a message and status 3 rather than an abort.
int main(int argc, char** argv) {
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        return replay::RunCommandLine(args, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "illsxmk-replay: stopped: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "illsxmk-replay: stopped\n";
    }
    return replay::kExitNoOutput;
}
