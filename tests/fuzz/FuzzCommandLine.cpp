// Any argument list (the input split at zero bytes) through the command-line parser.
#include "startup/ProcessSettings.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    args.push_back(current);
    TProcessSettings settings;
    ParseCommandLine(args, settings);
    return 0;
}
