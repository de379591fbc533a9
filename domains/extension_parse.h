// ExtensionParse: one reading of a domain extension file by the generated parser. It feeds the
// parser the scanner's tokens, hands the rules' results to the builder, reports syntax errors
// and grows the parser's stacks 150 entries at a time up to a limit.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "domains/extension_builder.h"
#include "domains/extension_scanner.h"

class ExtensionParse {
 public:
  static constexpr std::ptrdiff_t kInitialStackDepth = 150;
  static constexpr std::ptrdiff_t kStackGrowth = 150;
  // Every list of the grammar is left-recursive, so a file never needs more than a dozen
  // entries; the limit guards the parser against a grammar that would need more.
  static constexpr std::ptrdiff_t kStackLimit = 1500;

  // Reads `text`; unknown characters go to `unknown`, messages to `diagnostics`.
  ExtensionParse(std::string_view text, ExtensionBuilder& builder, std::ostream& unknown,
                 std::ostream& diagnostics, std::ptrdiff_t stackLimit = kStackLimit);

  // Parses the whole text: 0 when it follows the grammar, 1 after a syntax error or a stack
  // overflow (its line written to the diagnostics, "%s Line number : %d").
  int run();
  // The message of the error that stopped the parse ("syntax error Line number : 3"), or "".
  const std::string& errorText() const { return errorText_; }

  // For the generated parser.
  ExtensionBuilder& builder() { return builder_; }
  // The next token's code for the parser, its text kept while the parse runs.
  int nextToken(const std::string*& value);
  void reportError(const char* message);

  // Replaces the parser's two stacks by ones kStackGrowth entries larger, with the `used`
  // entries copied; at the limit writes "yacc stack overflow" and leaves `size` unchanged (the
  // parser then stops).
  template <typename State, typename Value>
  void growStacks(State** states, Value** values, std::ptrdiff_t used, std::ptrdiff_t* size) {
    if (*size + kStackGrowth > stackLimit_) {
      reportError("yacc stack overflow");
      return;
    }
    const std::ptrdiff_t grown = *size + kStackGrowth;
    auto newStates = std::make_shared<std::vector<State>>(static_cast<size_t>(grown));
    auto newValues = std::make_shared<std::vector<Value>>(static_cast<size_t>(grown));
    std::copy(*states, *states + used, newStates->begin());
    std::copy(*values, *values + used, newValues->begin());
    *states = newStates->data();
    *values = newValues->data();
    stacks_.push_back(newStates);
    stacks_.push_back(newValues);
    *size = grown;
  }

 private:
  ExtensionScanner scanner_;
  ExtensionBuilder& builder_;
  std::ostream& diagnostics_;
  std::ptrdiff_t stackLimit_;
  std::deque<std::string> texts_;  // the token texts that the parser's values point to
  std::vector<std::shared_ptr<void>> stacks_;
  std::string errorText_;
};
