// One parse of a domain extension file: tokens for the generated parser, its errors and stacks.
#include "domains/extension_parse.h"

#include "domains/extension_grammar.h"

ExtensionParse::ExtensionParse(std::string_view text, ExtensionBuilder& builder,
                               std::ostream& unknown, std::ostream& diagnostics,
                               std::ptrdiff_t stackLimit)
    : scanner_(text, unknown),
      builder_(builder),
      diagnostics_(diagnostics),
      stackLimit_(stackLimit) {}

int ExtensionParse::run() {
  errorText_.clear();
  return ext_parse(*this) == 0 ? 0 : 1;
}

int ExtensionParse::nextToken(const std::string*& value) {
  std::string text;
  const ExtensionToken token = scanner_.next(text);
  texts_.push_back(std::move(text));
  value = &texts_.back();
  switch (token) {
    case ExtensionToken::kEndOfFile:
      return TOK_YYEOF;
    case ExtensionToken::kClass:
      return TOK_CLASS;
    case ExtensionToken::kExistingClass:
      return TOK_EXISTING_CLASS;
    case ExtensionToken::kEndClass:
      return TOK_END_CLASS;
    case ExtensionToken::kCriteria:
      return TOK_CRITERIA;
    case ExtensionToken::kConstructor:
      return TOK_CONSTRUCTOR;
    case ExtensionToken::kRemove:
      return TOK_REMOVE;
    case ExtensionToken::kAttribute:
      return TOK_ATTRIBUTE;
    case ExtensionToken::kUnaryRelationship:
      return TOK_UNARY_RELATIONSHIP;
    case ExtensionToken::kNaryRelationship:
      return TOK_NARY_RELATIONSHIP;
    case ExtensionToken::kSource:
      return TOK_SOURCE;
    case ExtensionToken::kEndSource:
      return TOK_END_SOURCE;
    case ExtensionToken::kPlaceholder:
      return TOK_PLACEHOLDER;
    case ExtensionToken::kName:
      return TOK_NAME;
    case ExtensionToken::kString:
      return TOK_STRING;
    case ExtensionToken::kEndOfLine:
      return TOK_END;
    case ExtensionToken::kUnterminatedString:
      diagnostics_ << "The string that begins on line " << scanner_.line()
                   << " has no closing double quote\n";
      return TOK_EXT_UNDEF;  // no rule takes it: a syntax error on the string's line
  }
  return TOK_EXT_UNDEF;
}

void ExtensionParse::reportError(const char* message) {
  // Only the first error counts: the parse stops there.
  if (!errorText_.empty()) return;
  errorText_ = std::string(message) + " Line number : " + std::to_string(scanner_.line());
  diagnostics_ << errorText_ << "\n";
  diagnostics_.flush();
}
