// Runs a fuzz target once on every file of the folders given, in name order,
// so the ordinary builds replay the committed corpus without libFuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  for (int a = 1; a < argc; ++a) {
    std::error_code error;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argv[a], error))
      if (entry.is_regular_file()) files.push_back(entry.path());
    // An empty or missing corpus would pass without testing anything.
    if (error || files.empty()) {
      std::fprintf(stderr, "replay: no inputs in %s\n", argv[a]);
      return 1;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replay: %zu inputs from %s\n", files.size(), argv[a]);
  }
  return 0;
}
