// queue_bench: the same calls in both modes of the library. 16 threads call the generate entry
// point 50 times each (800 requests, served one at a time by the command thread) for a small page
// (the sample template plain.htm about a folder of three files), first with timeout 0 (each
// request generated on the command thread) and then with timeout 8000 (each request queued for
// the consumer thread, its caller waiting for the result). Init parameters bind once per process,
// so each mode runs in a child process of its own. Printed per mode: the wall time of all calls,
// requests per second, the median and the slowest call, and the pages that the library reported
// as generated (each of the 800 requests must give one; the exit status is 1 otherwise).
// Usage: queue_bench [THREADS CALLS_PER_THREAD]   (default: 16 50)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "agent/agent_entry.h"
#include "bench/host_requests.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// One mode in this process: prints one line.
int RunMode(const std::string& timeout, int threads, int calls) {
  const fs::path root = fs::temp_directory_path() / ("queue_bench." + std::to_string(getpid()));
  fs::remove_all(root);
  const fs::path data = root / "data";
  const fs::path generated = root / "user" / "generated";
  fs::create_directories(data);
  fs::create_directories(generated);
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) bench::WriteText(data / name, name);
  const fs::path document = generated / "plain.htm";
  fs::copy_file(fs::path(XMLAGENT_SOURCE_DIR) / "sample/templates/plain.htm", document);
  bench::WriteText(generated / "ParameterFile.txt",
                   "FILE_NAME=" + document.string() +
                       "\nARTIFACT_LOCATOR=FileSys:Directory:FullName=" + data.string() +
                       "\nSERVER_URL=http://localhost/portal\nTEMPLATE_ID=plain\n");

  XmlAgentSetInitParameter("VISTAFOLD_HOME", XMLAGENT_SOURCE_DIR "/sample/install");
  XmlAgentSetInitParameter("USER_DATA", (root / "user").string());
  XmlAgentSetInitParameter("VISTAFOLD_DATA", (root / "user").string());
  XmlAgentSetInitParameter("timeout", timeout);
  XmlAgentInit();

  std::vector<std::vector<double>> seconds(threads);
  const auto start = Clock::now();
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < calls; ++i) {
        const auto before = Clock::now();
        XmlAgentGenerate();
        seconds[t].push_back(std::chrono::duration<double>(Clock::now() - before).count());
      }
    });
  }
  for (std::thread& poster : posters) poster.join();
  const double total = std::chrono::duration<double>(Clock::now() - start).count();
  XmlAgentClose();

  std::vector<double> all;
  for (const auto& list : seconds) all.insert(all.end(), list.begin(), list.end());
  std::sort(all.begin(), all.end());
  const size_t requests = all.size();
  std::printf(
      "%-12s %zu requests from %d threads: %.2f s, %.0f requests/s, call median %.1f ms, "
      "slowest %.1f ms",
      timeout == "0" ? "synchronous" : "queued", requests, threads, total,
      static_cast<double>(requests) / total, all[requests / 2] * 1000.0, all.back() * 1000.0);
  std::fflush(stdout);
  fs::remove_all(root);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 5 && std::string(argv[1]) == "--mode")
      return RunMode(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    const std::string threads = argc >= 2 ? argv[1] : "16";
    const std::string calls = argc >= 3 ? argv[2] : "50";
    int status = 0;
    for (const char* timeout : {"0", "8000"}) {
      std::vector<std::string> arguments = {"/proc/self/exe", "--mode", timeout, threads, calls};
      std::vector<char*> childArgv;
      for (std::string& argument : arguments) childArgv.push_back(argument.data());
      childArgv.push_back(nullptr);
      // The library reports each page it generated ("generated in") on the standard error.
      const fs::path messages =
          fs::temp_directory_path() / ("queue_bench." + std::to_string(getpid()) + ".err");
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, 2, messages.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0644);
      pid_t child = 0;
      const int failure =
          posix_spawn(&child, "/proc/self/exe", &actions, nullptr, childArgv.data(), environ);
      posix_spawn_file_actions_destroy(&actions);
      if (failure != 0) throw std::runtime_error("cannot start a child");
      int childStatus = 0;
      waitpid(child, &childStatus, 0);
      std::ifstream in(messages);
      int generated = 0;
      for (std::string line; std::getline(in, line);) {
        if (line.find(" generated in ") != std::string::npos) ++generated;
      }
      fs::remove(messages);
      std::printf(", pages generated %d\n", generated);
      std::fflush(stdout);
      if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0 ||
          generated != std::stoi(threads) * std::stoi(calls))
        status = 1;
    }
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "queue_bench: %s\n", e.what());
    return 1;
  }
}
