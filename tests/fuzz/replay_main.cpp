// Runs a fuzz target over every file of the folders given, as libFuzzer would over its
// corpus: the normal build's check that no seed and no kept crasher fails again.
#include "fuzz_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path folder(argv[i]);
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error))
            continue; // a target without crashers has no regressions folder
        for (const auto &entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto &path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
        if (!in.eof() && in.fail()) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        std::fprintf(stderr, "replay %s\n", path.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    // No input at all means the folders are wrong, not that all is well.
    return inputs.empty() ? 1 : 0;
}
