// Replays inputs through a fuzz target's entry point without libFuzzer, so that every build runs
// the seed corpus and every crash input ever found as a plain test. Arguments are files or
// folders (a folder's regular files are fed in name order; a missing folder counts as empty).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& place) {
  std::vector<std::filesystem::path> inputs;
  std::error_code error;
  if (std::filesystem::is_directory(place, error)) {
    for (const auto& entry : std::filesystem::directory_iterator(place, error))
      if (entry.is_regular_file(error)) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
  } else if (std::filesystem::is_regular_file(place, error)) {
    inputs.push_back(place);
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const std::filesystem::path& input : InputsOf(argv[i])) {
      std::ifstream in(input, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
      if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "cannot read %s\n", input.c_str());
        return 1;
      }
      std::printf("replaying %s (%zu bytes)\n", input.c_str(), bytes.size());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("%zu inputs replayed\n", replayed);
  // No input at all means the paths are wrong, not that everything passed.
  return replayed == 0 ? 1 : 0;
}
