/* The grammar of the domain extension file DOMAIN.EXT: subclass blocks, extension blocks and their
   record-source blocks. Each rule hands what it read to the ExtensionBuilder; the scanner is
   ExtensionScanner. Bison turns this file into domains/extension_grammar.cpp in the build folder. */
%code top {
/* The stacks start at 150 entries and grow by 150 at a time, up to the parse's limit. */
#define YYINITDEPTH ExtensionParse::kInitialStackDepth
#define yyoverflow(message, states, stateBytes, values, valueBytes, size) \
  parse.growStacks(states, values, (stateBytes) / static_cast<long>(sizeof(**(states))), size)
}

%code requires {
#include <string>
class ExtensionParse;
}

%code {
#include "domains/extension_parse.h"

static int ext_lex(EXT_STYPE* value, ExtensionParse& parse) { return parse.nextToken(*value); }
static void ext_error(ExtensionParse& parse, const char* message) { parse.reportError(message); }
}

%define api.prefix {ext_}
%define api.pure full
%define api.token.prefix {TOK_}
%define api.value.type {const std::string*}
%define parse.error simple
%parse-param {ExtensionParse& parse}
%lex-param {ExtensionParse& parse}

%token CLASS EXISTING_CLASS END_CLASS CRITERIA CONSTRUCTOR REMOVE ATTRIBUTE
%token UNARY_RELATIONSHIP NARY_RELATIONSHIP SOURCE END_SOURCE
%token PLACEHOLDER NAME STRING END

%%

file
  : %empty
  | file item
  ;

item
  : subclass_block
  | extension_block
  | END
  ;

subclass_block
  : CLASS NAME NAME END { parse.builder().beginSubclass(*$2, *$3); }
    subclass_lines END_CLASS END { parse.builder().endSubclass(); }
  ;

subclass_lines
  : subclass_line
  | subclass_lines subclass_line
  ;

subclass_line
  : CRITERIA STRING END { parse.builder().addCriteria(*$2); }
  | CONSTRUCTOR NAME { parse.builder().addScriptName(*$2); } placeholders END
    { parse.builder().endScriptLine(); }
  | REMOVE ATTRIBUTE PLACEHOLDER END { parse.builder().addRemoveAttribute(*$3); }
  | REMOVE ATTRIBUTE NAME END { parse.builder().addRemoveRelationship(*$3); }
  | END
  ;

placeholders
  : PLACEHOLDER { parse.builder().addScriptArgument(*$1); }
  | placeholders PLACEHOLDER { parse.builder().addScriptArgument(*$2); }
  ;

extension_block
  : EXISTING_CLASS NAME END { parse.builder().beginExtension(*$2); }
    extension_lines END_CLASS END { parse.builder().endExtension(); }
  ;

extension_lines
  : extension_line
  | extension_lines extension_line
  ;

extension_line
  : UNARY_RELATIONSHIP NAME NAME PLACEHOLDER STRING END
    { parse.builder().addRelationship(false, *$2, *$3, *$4, *$5); }
  | NARY_RELATIONSHIP NAME NAME PLACEHOLDER STRING END
    { parse.builder().addRelationship(true, *$2, *$3, *$4, *$5); }
  | ATTRIBUTE NAME NAME { parse.builder().beginScriptAttribute(*$2, *$3); } placeholders END
    { parse.builder().endScriptLine(); }
  | source_block
  | END
  ;

source_block
  : SOURCE PLACEHOLDER END { parse.builder().beginSource(*$2); }
    source_lines END_SOURCE END
  ;

source_lines
  : source_line
  | source_lines source_line
  ;

source_line
  : ATTRIBUTE NAME STRING END { parse.builder().addSourceAttribute(*$2, *$3, nullptr); }
  | ATTRIBUTE NAME STRING STRING END { parse.builder().addSourceAttribute(*$2, *$3, $4); }
  | END
  ;

%%
