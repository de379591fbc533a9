// Feeds any bytes to the query transport of remote domains as the replies of a domain library:
// a real shared library (replies_library.c), loaded through the domain library table, answers
// each query with the next reply the input describes. One reply goes straight to the transport,
// whose answer is checked against the header; the others answer the queries of constructions,
// attribute reads, navigations, decompositions, selections and a schema reload over a small
// schema.
//
// The input is a list of replies, each:
//   one control byte: bits 0-1 the header: 0 "Success" and the text's length, 1 "Failure" and
//     the length, 2 sixteen raw header bytes follow, 3 "Success" and the length changed by the
//     signed byte that follows; bit 2: no response text; bit 3: the length reported through the
//     entry point follows (two bytes, little-endian), else the text's length;
//   the text's length (two bytes, little-endian) and the text, in which "$DIR" stands for this
//   process's temporary folder (so that a reply can name the schema file or a picture there).
#include <dlfcn.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "domains/domain_library_table.h"
#include "domains/domain_registry.h"
#include "domains/information_query.h"
#include "domains/remote_domain.h"
#include "domains/remote_object.h"
#include "domains/remote_schema_reader.h"
#include "model/domain_lookup.h"
#include "model/quire_attribute.h"
#include "model/quire_attribute_value.h"
#include "model/quire_relationship.h"
#include "platform/resource_module.h"
#include "platform/work_limits.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

using fuzz_files::Check;

// What the fuzz library takes (see replies_library.c).
struct FuzzReply {
  char header[16];
  const char* bytes;
  unsigned long size;
  unsigned long length;
  int noText;
};
using SetRepliesFunction = void (*)(const FuzzReply*, unsigned long);
using CountFunction = unsigned long (*)();

constexpr char kDomain[] = "Replies";

constexpr char kSchema[] = R"(domain Replies fuzz
class Tracker
  connector string File
  constructor string File
  constructor2 number Number
  selector Name string Name
  selector Count number Count
  selector Open boolean Open
  selector NotesFormattedText string NotesFormattedText
  selector Shot graphic Shot
  selector Lead Replies.Person Lead
  selector Issues Replies.Issue* Issues
end_class
class Issue
  constructor string Key
  selector Key string Key
  selector Owner Replies.Person Owner
end_class
class Bug Replies.Issue
  selector Severity number Severity
end_class
class Person
  constructor string Login
  selector Login string Login
  selector Issues Replies.Issue* Issues
end_class
)";

struct Library {
  SetRepliesFunction setReplies = nullptr;
  CountFunction used = nullptr;
  CountFunction faults = nullptr;
};

Library& TheLibrary() {
  static Library library;
  return library;
}

// One reply as the library hands it over.
struct Reply {
  char header[16] = {};
  std::string bytes;
  unsigned long length = 0;
  bool noText = false;
};

void WriteHeader(char (&header)[16], const char* flag, long long length) {
  char text[48];
  const int size = std::snprintf(text, sizeof text, "%s %lld", flag, length);
  std::memset(header, 0, sizeof header);
  std::memcpy(header, text, size < 16 ? static_cast<size_t>(size) : 16);
}

std::vector<Reply> RepliesOf(const uint8_t* data, size_t size) {
  std::vector<Reply> replies;
  size_t at = 0;
  const auto take = [&](size_t count) {
    const size_t n = std::min(count, size - at);
    std::string_view bytes(reinterpret_cast<const char*>(data) + at, n);
    at += n;
    return bytes;
  };
  const auto number = [&] {
    const std::string_view bytes = take(2);
    unsigned value = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
      value |= static_cast<unsigned char>(bytes[i]) << (8 * i);
    return value;
  };
  while (at < size && replies.size() < 200) {
    const auto control = static_cast<unsigned char>(take(1)[0]);
    Reply reply;
    const int kind = control & 3;
    std::string_view raw;
    if (kind == 2) raw = take(16);
    int delta = 0;
    if (kind == 3) {
      const std::string_view byte = take(1);
      delta = byte.empty() ? 0 : static_cast<signed char>(byte[0]);
    }
    const unsigned textLength = number();
    std::string bytes(take(textLength));
    for (size_t place = bytes.find("$DIR"); place != std::string::npos;
         place = bytes.find("$DIR", place + 1)) {
      bytes.replace(place, 4, fuzz_files::Folder());
    }
    reply.length = (control & 8) ? number() : bytes.size();
    reply.noText = (control & 4) != 0;
    const long long textSize = static_cast<long long>(bytes.size());
    if (kind == 0) WriteHeader(reply.header, "Success", textSize);
    if (kind == 1) WriteHeader(reply.header, "Failure", textSize);
    if (kind == 2) std::memcpy(reply.header, raw.data(), raw.size());
    if (kind == 3) WriteHeader(reply.header, "Success", std::max(0ll, textSize + delta));
    reply.bytes = std::move(bytes);
    replies.push_back(std::move(reply));
  }
  return replies;
}

// The length a header announces, read as the protocol says: digits from byte 8, blanks first.
size_t Announced(const char (&header)[16]) {
  size_t at = 8;
  while (at < 16 && header[at] == ' ') ++at;
  size_t length = 0;
  for (; at < 16 && header[at] >= '0' && header[at] <= '9'; ++at) {
    length = length * 10 + static_cast<size_t>(header[at] - '0');
  }
  return length;
}

// The first reply, straight through the transport: a good answer is exactly the announced
// bytes, and an answer that keeps the protocol is never refused.
void CheckTransport(const Reply* reply) {
  std::string response;
  QuireStatus status;
  QuireInformationQuery::makeQuery(kDomain, "Name t1", response, status);
  if (!status.IsOk()) Check(response.empty(), "a failed query gives no response");
  if (reply == nullptr) return;
  const size_t announced = Announced(reply->header);
  std::string handed = reply->bytes.substr(0, reply->length);
  handed.resize(reply->length, 'x');
  if (status.IsOk()) {
    Check(std::memcmp(reply->header, "Success", 7) == 0, "only a Success header succeeds");
    // As announced, or up to a zero byte that ends it early.
    const size_t end = std::min(announced, handed.find('\0'));
    Check(response == handed.substr(0, end), "a response is the bytes handed over");
    Check(response.find('\0') == std::string::npos, "a response holds no zero byte");
  }
  const bool keepsProtocol = announced > 0 && !reply->noText && reply->length >= announced &&
                             announced <= platform::kDefaultMaxDataFileBytes &&
                             handed.find('\0') >= announced;
  if (keepsProtocol && std::memcmp(reply->header, "Success", 7) == 0) {
    Check(status.IsOk(), "a well-formed Success answer is taken");
  }
  if (keepsProtocol && std::memcmp(reply->header, "Success", 7) != 0) {
    Check(!status.IsOk() && status.Message() == ResponseText(handed.substr(0, announced)),
          "a well-formed Failure answer is the message");
  }
}

QuireClass ClassNamed(QuireAbstractDomain& domain, const char* name) {
  QuireStatus status;
  const QuireClass cls = domain.findClass(name, status);
  Check(status.IsOk(), "the schema's classes are there");
  return cls;
}

// Reads every member of `object` once and gives the objects its relationships lead to.
std::vector<QuireObject> ReadMembers(const QuireObject& object, const QuireClass& cls) {
  std::vector<QuireObject> reached;
  QuireStatus status;
  const std::string image = fuzz_files::PathOf("image.png");
  for (const QuireAttribute& attribute : cls.attributeList(QuireFeatureList::kFirst)) {
    if (attribute.type() == QuireType::GRAPHIC) {
      (void)object.getGraphicAttributeValue(attribute, image, status);
    } else {
      (void)object.getAttributeValue(attribute, status).displayText();
    }
  }
  for (const QuireRelationship& link : cls.unaryList(QuireFeatureList::kFirst)) {
    QuireObject related = object.getUnaryRelatedObject(link, status);
    if (!status.IsOk()) {
      Check(related.isUndefined(), "a failed navigation gives no object");
      continue;
    }
    QuireStatus classStatus;
    Check(related.getClass(classStatus).isSubclassOf(link.target()),
          "a related object is of the relationship's target class");
    reached.push_back(std::move(related));
  }
  for (const QuireRelationship& link : cls.naryList(QuireFeatureList::kFirst)) {
    for (QuireObject& related : object.getNaryRelatedObjects(link, status)) {
      QuireStatus classStatus;
      Check(related.getClass(classStatus).isSubclassOf(link.target()),
            "listed objects are of the relationship's target class");
      reached.push_back(std::move(related));
    }
  }
  QuireArgumentValues arguments;
  object.getConstructorArguments(arguments, false, status);
  Check(arguments.size() <= cls.constructorArguments().size(), "no more arguments than declared");
  return reached;
}

void Drive(QuireRemoteDomain& domain) {
  const QuireClass tracker = ClassNamed(domain, "Tracker");
  QuireStatus status;
  std::vector<QuireObject> objects;
  // Made by each argument list; an object that cannot be made is one the library named.
  const QuireArgumentValues connector = {
      QuireAttributeValue(tracker.connectorArguments()[0], std::string("a b\\c.csv"))};
  objects.push_back(domain.makeObject(tracker, connector, status, 1));
  const QuireArgumentValues constructor2 = {
      QuireAttributeValue::fromText("7", tracker.selectorArguments()[0])};
  objects.push_back(domain.makeObject(tracker, constructor2, status, 2));
  objects.push_back(QuireObject(std::make_unique<QuireRemoteObject>(tracker, "t1")));
  std::vector<QuireObject> reached;
  for (const QuireObject& object : objects) {
    if (object.isUndefined()) continue;
    const QuireClass cls = object.getClass(status);
    Check(status.IsOk() && !cls.isUndefined(), "a made object has a class of the domain");
    for (QuireObject& next : ReadMembers(object, cls)) reached.push_back(std::move(next));
    (void)object.as<QuireRemoteObject>()->getDerivedClass(status);
    object.display(status);
  }
  // One level further, a few objects.
  for (size_t i = 0; i < reached.size() && i < 4; ++i) {
    QuireStatus classStatus;
    (void)ReadMembers(reached[i], reached[i].getClass(classStatus));
  }
  const QuireObject selected = domain.getSelectedObject(status, tracker, "selection");
  Check(status.IsOk() != selected.isUndefined(), "a selection is an object or a failure");
  domain.clean();
  domain.refreshRemote();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // An installation with the fuzz library as the domain's library, and the base schema.
  const std::string home = fuzz_files::PathOf("home");
  std::filesystem::create_directories(home + "/domains");
  std::filesystem::create_directories(fuzz_files::PathOf("data"));
  std::filesystem::create_directories(fuzz_files::PathOf("user"));
  const std::string library = home + "/domains/REPLIES.so";
  std::filesystem::copy_file(XMLAGENT_REPLIES_LIBRARY, library);
  ::setenv("VISTAFOLD_HOME", home.c_str(), 1);
  ::setenv("VISTAFOLD_DATA", fuzz_files::PathOf("data").c_str(), 1);
  ::setenv("HOME", fuzz_files::PathOf("user").c_str(), 1);
  // The sample installation's host strings, so that statuses carry their real wording.
  std::string error;
  Check(platform::HostResources().Load(XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc",
                                       error),
        "the sample host strings load");
  fuzz_files::Write("base.dom", kSchema);
  // Replies may name these: a schema for the reload, one that is refused, and a picture.
  fuzz_files::Write("next.dom",
                    std::string(kSchema) + "class Extra\n  constructor string Id\nend_class\n");
  fuzz_files::Write("broken.dom", "domain Replies\nclass\n");
  fuzz_files::Write("picture.png", "\x89PNG\r\n\x1a\n not really a picture");
  // The same file that the table loads: dlopen gives the same instance, so its setters reach
  // the library that answers the queries.
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::printf("cannot load %s: %s\n", library.c_str(), ::dlerror());
    std::abort();
  }
  Library& loaded = TheLibrary();
  loaded.setReplies = reinterpret_cast<SetRepliesFunction>(::dlsym(handle, "SetReplies"));
  loaded.used = reinterpret_cast<CountFunction>(::dlsym(handle, "RepliesUsed"));
  loaded.faults = reinterpret_cast<CountFunction>(::dlsym(handle, "QueryFaults"));
  Check(loaded.setReplies && loaded.used && loaded.faults, "the fuzz library has its setters");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<Reply> replies = RepliesOf(data, size);
  std::vector<FuzzReply> handed;
  for (const Reply& reply : replies) {
    FuzzReply given{};
    std::memcpy(given.header, reply.header, sizeof given.header);
    given.bytes = reply.bytes.data();
    given.size = reply.bytes.size();
    given.length = reply.length;
    given.noText = reply.noText ? 1 : 0;
    handed.push_back(given);
  }
  Library& library = TheLibrary();
  library.setReplies(handed.data(), handed.size());

  DomainRegistry& registry = DomainRegistry::instance();
  registry.deleteAllDomains();
  SetDomainFinder(&getDomain);
  QuireStatus status;
  Check(ReadRemoteSchema(fuzz_files::PathOf("base.dom"), status), "the base schema reads");
  auto& domain = static_cast<QuireRemoteDomain&>(registry.getDomain(status, kDomain));
  Check(status.IsOk(), "the remote domain is registered");

  CheckTransport(replies.empty() ? nullptr : &replies.front());
  Drive(domain);
  // The schema reload: the domain's name is served afterwards, by the new schema or the old.
  (void)domain.getSelectedObjects(status, "a selection");
  Check(registry.hasDomainNamed(kDomain), "the domain is still served after a reload");
  Check(library.faults() == 0, "every query ends in exactly one newline");
  Check(library.used() <= replies.size(), "the library counts its replies");
  registry.deleteAllDomains();
  library.setReplies(nullptr, 0);
  return 0;
}
