// Helpers of the data-source component tests: databases written with SQLite's own API into a
// temporary store folder, lookups of types, properties and relationships by name, and pictures.
#pragma once

#include <gd.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "kestrel/kestrel_session.h"
#include "kestrel/session_registration.h"
#include "platform/com_error.h"
#include "platform/com_factory.h"
#include "tests/common/test_support.h"

namespace kestrel_test {

using platform::Variant;

using test_support::ReadFile;

// Runs the SQL into the database file at path (made when missing).
inline void MakeDatabase(const std::string& path, const std::string& sql) {
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK) << path;
  char* message = nullptr;
  const int result = sqlite3_exec(database, sql.c_str(), nullptr, nullptr, &message);
  const std::string text = message != nullptr ? message : "";
  sqlite3_free(message);
  sqlite3_close(database);
  ASSERT_EQ(result, SQLITE_OK) << text;
}

// A png of the size, red on the left half and blue on the right.
inline std::string MakePng(int width, int height) {
  gdImagePtr image = gdImageCreateTrueColor(width, height);
  gdImageFilledRectangle(image, 0, 0, width / 2 - 1, height - 1, gdTrueColor(255, 0, 0));
  gdImageFilledRectangle(image, width / 2, 0, width - 1, height - 1, gdTrueColor(0, 0, 255));
  int size = 0;
  void* data = gdImagePngPtr(image, &size);
  std::string bytes(static_cast<const char*>(data), size);
  gdFree(data);
  gdImageDestroy(image);
  return bytes;
}

// The bytes as upper-case hex digits, for an SQL BLOB literal.
inline std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (const unsigned char c : bytes) hex += {digits[c >> 4], digits[c & 15]};
  return hex;
}

// The picture in `bytes` (png, jpeg, gif or bmp), or null; the caller destroys it.
inline gdImagePtr DecodedPicture(const std::string& bytes) {
  const int size = static_cast<int>(bytes.size());
  void* data = const_cast<char*>(bytes.data());
  if (bytes.starts_with("\xFF\xD8")) return gdImageCreateFromJpegPtr(size, data);
  if (bytes.starts_with("GIF")) return gdImageCreateFromGifPtr(size, data);
  if (bytes.starts_with("BM")) return gdImageCreateFromBmpPtr(size, data);
  return gdImageCreateFromPngPtr(size, data);
}

template <class T>
std::vector<std::shared_ptr<T>> Items(const kestrel::Collection<T>& collection) {
  std::vector<std::shared_ptr<T>> items;
  for (int32_t i = 0; i < collection.Count(); ++i) items.push_back(collection.Item(Variant(i)));
  return items;
}

template <class T>
std::vector<std::string> Names(const kestrel::Collection<T>& collection) {
  std::vector<std::string> names;
  for (const auto& item : Items(collection)) names.push_back(item->Name());
  return names;
}

template <class T>
std::shared_ptr<T> Named(const kestrel::Collection<T>& collection, const std::string& name) {
  for (const auto& item : Items(collection)) {
    if (item->Name() == name) return item;
  }
  ADD_FAILURE() << "no item named " << name;
  return nullptr;
}

// The session over a store folder, made through the factory as the domains make it.
inline std::shared_ptr<kestrel::Session> OpenStore(const std::string& folder) {
  kestrel::RegisterSession(folder);
  return std::dynamic_pointer_cast<kestrel::Session>(
      platform::ComFactory::Create(kestrel::kSessionProgId));
}

inline std::shared_ptr<kestrel::ArtifactType> TypeOf(const kestrel::Session& session,
                                                     const std::string& dataSource,
                                                     const std::string& type) {
  auto source = Named(*session.DataSources(), dataSource);
  return source ? Named(*source->ArtifactTypes(), type) : nullptr;
}

// The value of a property of an artifact, by the property's name.
inline Variant ValueOf(const kestrel::Artifact& artifact, const std::string& property) {
  auto definition = Named(*artifact.Type()->PropertyDefinitions(), property);
  return definition ? artifact.Value(*definition) : Variant::Null();
}

// The related artifacts' names, through the relationship of that name.
inline std::vector<std::string> RelatedNames(const kestrel::Artifact& artifact,
                                             const std::string& relationship) {
  auto definition = Named(*artifact.Type()->RelationshipDefinitions(), relationship);
  return definition ? Names(*artifact.Related(*definition)) : std::vector<std::string>{"?"};
}

// The ComError description body throws, or "" when it throws none.
template <class Body>
std::string ErrorOf(Body body) {
  try {
    body();
  } catch (const platform::ComError& error) {
    return error.Description();
  }
  return "";
}

}  // namespace kestrel_test
