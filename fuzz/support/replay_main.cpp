// A fuzz target's entry point run once over every kept input, without the fuzzer: the files
// given, and every file under the folders given, in name order so that a failure repeats.
// It makes each target a test of any build, the sanitizer builds included.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

bool CollectInputs(const fs::path& given, std::vector<fs::path>& inputs) {
  std::error_code error;
  if (!fs::is_directory(given, error)) {
    inputs.push_back(given);
    return true;
  }
  for (fs::recursive_directory_iterator it(given, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error)) inputs.push_back(it->path());
  }
  if (error) std::fprintf(stderr, "fuzz replay: %s: %s\n", given.c_str(), error.message().c_str());
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    if (!CollectInputs(argv[i], inputs)) return 1;
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "fuzz replay: no inputs given\n");
    return 1;
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& path : inputs) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "fuzz replay: cannot read %s\n", path.c_str());
      return 1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    // Named before it runs, so that a crash's report follows the input's name.
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("fuzz replay: %zu inputs\n", inputs.size());
  return 0;
}
