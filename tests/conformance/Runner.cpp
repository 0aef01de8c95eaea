#include "Runner.h"

#include <cstdio>
#include <exception>

namespace conformance {

namespace {

Result RunOne(const Check& check) {
    try {
        return check.run();
    } catch (const std::exception& e) {
        return Fail(std::string("threw: ") + e.what());
    } catch (...) {
        return Fail("threw an exception of unknown type");
    }
}

const char* Label(Result::Kind kind) {
    switch (kind) {
        case Result::Holds:
            return "holds   ";
        case Result::Fails:
            return "FAILS   ";
        case Result::Reported:
            return "reported";
    }
    return "?";
}

}  // namespace

int RunAll(const std::vector<Check>& checks, const std::vector<ViewerOnly>& needsViewer) {
    int counts[3] = {0, 0, 0};
    std::printf("libillsxmk conformance: what the library relies on from the viewer's SDK\n\n");
    for (const Check& check : checks) {
        const Result result = RunOne(check);
        ++counts[result.kind];
        std::printf("%s  %s: %s\n", Label(result.kind), check.name, check.promise);
        if (!result.message.empty())
            std::printf("          %s\n", result.message.c_str());
        std::fflush(stdout);
    }
    std::printf("\nNeeds the viewer (not checked here; confirm in a running viewer):\n");
    for (const ViewerOnly& item : needsViewer)
        std::printf("[ ]       %s: %s\n", item.name, item.promise);
    std::printf("\nconformance: %d hold, %d fail, %d reported, %d need the viewer\n",
                counts[Result::Holds], counts[Result::Fails], counts[Result::Reported],
                static_cast<int>(needsViewer.size()));
    return counts[Result::Fails] == 0 ? 0 : 1;
}

}  // namespace conformance
