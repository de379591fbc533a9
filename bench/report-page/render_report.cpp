// Renders the report page for one database through the command-line host, as the portal asks for
// a page: the database becomes the data source "Artifacts" of a store folder of its own, the
// template is copied to OUT and generated there in place (the host writes the parameter file,
// calls the library's entry points, and the library writes the page and Output.txt).
//
//   render_report --host PATH TEMPLATE DATABASE OUT
//
// The user-data folder (parameter file, Output.txt) lies in a temporary folder, removed
// afterwards. Exit status: the host's. The page of 100,000 artifacts is far larger than the
// default page limit (MaxPageBytes, 128 MiB), so the limit is raised to 8 GiB.
//
// A program rather than a shell script: the comparison times the whole command, and a script's
// shell and the tools it starts cost more than the host's own start.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

int Usage() {
  std::fprintf(stderr, "usage: render_report --host PATH TEMPLATE DATABASE OUT\n");
  return 2;
}

// The temporary folder, removed however the run ends.
class WorkFolder {
 public:
  WorkFolder() {
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "render-report.XXXXXX").string();
    if (!error && mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~WorkFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Runs the host and waits for it; its exit status, or 1 when it could not run or was killed.
int RunHost(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    std::perror(("render_report: " + arguments[0]).c_str());
    return 1;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 || std::string(argv[1]) != "--host") return Usage();
  const std::string host = argv[2];
  const fs::path templatePath = argv[3];
  const fs::path database = argv[4];
  const fs::path out = argv[5];
  std::error_code error;
  if (!fs::is_regular_file(database, error)) {
    std::fprintf(stderr, "render_report: no database %s\n", database.c_str());
    return 2;
  }
  WorkFolder work;
  if (work.path().empty()) {
    std::perror("render_report: temporary folder");
    return 1;
  }
  const fs::path store = work.path() / "store";
  fs::create_directory(store, error);
  if (!error) fs::create_symlink(fs::absolute(database), store / "Artifacts.sqlite", error);
  if (!error) fs::copy_file(templatePath, out, fs::copy_options::overwrite_existing, error);
  if (error) {
    std::fprintf(stderr, "render_report: %s\n", error.message().c_str());
    return 1;
  }
  return RunHost({host, "--quiet", "--document", out.string(), "--user-data",
                  (work.path() / "user").string(), "--set", "KESTREL_STORE=" + store.string(),
                  "--set", "MaxPageBytes=8589934592", "--locator",
                  "Artifacts:Database:Name=Artifacts"});
}
