// Timings of the file-system domain: listing a folder through "Contents" and reading each
// entry's "SimpleName", and reading a record file through "Records" and each record's
// "Field01". Prints items per second for each size.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "domains/file_sys_domain.h"
#include "foundation/quire_status.h"
#include "model/quire_attribute_value.h"
#include "model/quire_object.h"

namespace {

// Sends the error stream to /dev/null while alive: every object writes its name line there.
class QuietErrors {
 public:
  QuietErrors() : saved_(::dup(2)) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    ::close(null);
  }
  ~QuietErrors() {
    ::dup2(saved_, 2);
    ::close(saved_);
  }

 private:
  int saved_;
};

QuireObject OpenFile(FileSysDomain& domain, const QuireClass& cls, const std::string& path) {
  QuireStatus status;
  return domain.makeObject(cls, {QuireAttributeValue(cls.constructorArguments().at(0), path)},
                           status, 3);
}

// Lists `object`'s relationship and reads `attributeName` of every related object; returns the
// number of objects and prints the rate.
size_t Measure(const char* label, size_t size, const QuireObject& object,
               const std::string& relationshipName, const std::string& attributeName) {
  QuireStatus status;
  const QuireClass cls = object.getClass(status);
  const QuireRelationship& relationship =
      cls.findRelationship(relationshipName, QuireRelationship::kNary, status);
  size_t count = 0;
  size_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  {
    QuietErrors quiet;
    const QuireObjectList list = object.getNaryRelatedObjects(relationship, status);
    for (const QuireObject& item : list) {
      const QuireAttribute& attribute = item.getClass(status).findAttribute(attributeName, status);
      bytes += item.getAttributeValue(attribute, status).textValue().size();
      ++count;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-34s %7zu items  %8.3f s  %12.0f items/s  (%zu name bytes)\n", label, size, seconds,
              static_cast<double>(count) / seconds, bytes);
  return count;
}

}  // namespace

int main() {
  std::string pattern = (std::filesystem::temp_directory_path() / "file_sys_bench_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const std::filesystem::path root = std::filesystem::canonical(pattern);
  FileSysDomain domain;
  int failures = 0;

  for (const size_t size : {size_t{10000}, size_t{100000}}) {
    const std::filesystem::path folder = root / ("folder" + std::to_string(size));
    std::filesystem::create_directory(folder);
    for (size_t i = 0; i < size; ++i) {
      std::ofstream(folder / ("entry" + std::to_string(i) + ".txt"));
    }
    const QuireObject directory = OpenFile(domain, domain.directoryClass(), folder.string());
    if (Measure("Contents + SimpleName", size, directory, "Contents", "SimpleName") != size) {
      ++failures;
    }
    std::filesystem::remove_all(folder);
  }

  for (const size_t size : {size_t{10000}, size_t{100000}}) {
    const std::filesystem::path file = root / ("records" + std::to_string(size) + ".txt");
    {
      std::ofstream out(file);
      out << "#FIELD_DELIMITER ,\n";
      for (size_t i = 0; i < size; ++i) out << "key" << i << ",\"second, quoted\",third\n";
    }
    const QuireObject records = OpenFile(domain, domain.fileClass(), file.string());
    if (Measure("Records + Field01", size, records, "Records", "Field01") != size) ++failures;
  }

  std::filesystem::remove_all(root);
  if (failures != 0) std::printf("%d measurements saw the wrong number of items\n", failures);
  return failures == 0 ? 0 : 1;
}
