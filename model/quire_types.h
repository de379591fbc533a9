// The value type codes shared by attribute definitions and values, and the signatures of the
// library functions through which standard domains read data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QuireAttributeValue;
class QuireObject;
class QuireStatus;
class QuireValue;

namespace QuireType {
inline constexpr int32_t BOOLEAN = 0;
inline constexpr int32_t NUMBER = 1;
inline constexpr int32_t STRING = 2;
inline constexpr int32_t FILENAME = 3;
inline constexpr int32_t GRAPHIC = 4;
inline constexpr int32_t WILDCARD = 5;
inline constexpr int32_t UNDEFINED = 12;
// The effective type of a STRING attribute whose texts are HTML fragments (formatted text).
inline constexpr int32_t FORMATTED_TEXT = 9;

// The type's name as listings and messages show it: "BOOLEAN", "NUMBER", "STRING", "FILENAME",
// "GRAPHIC", or "undefined" for any other code.
inline const char* NameOf(int32_t type) {
  switch (type) {
    case BOOLEAN:
      return "BOOLEAN";
    case NUMBER:
      return "NUMBER";
    case STRING:
      return "STRING";
    case FILENAME:
      return "FILENAME";
    case GRAPHIC:
      return "GRAPHIC";
    default:
      return "undefined";
  }
}
}  // namespace QuireType

// The ordered values that identify an object (constructor or selector arguments).
using QuireArgumentValues = std::vector<QuireAttributeValue>;
// Objects reached through a many-valued relationship, in the domain's order.
using QuireObjectList = std::vector<QuireObject>;

// Library functions of standard domains. Each sets the status it is given.
using QuireAttributeReader = void (*)(QuireValue& result, const QuireObject& object,
                                      QuireStatus& status);
using QuireGraphicWriter = void (*)(QuireValue& result, const QuireObject& object,
                                    const std::string& imageName, QuireStatus& status);
using QuireUnaryAccess = void (*)(QuireObject& result, const QuireObject& object,
                                  QuireStatus& status);
using QuireNaryAccess = void (*)(QuireObjectList& result, const QuireObject& object,
                                 QuireStatus& status);
using QuireObjectConstructor = void (*)(QuireObject& result, const QuireArgumentValues& values,
                                        QuireStatus& status);
