/* A domain library that misbehaves on command, so that the query transport is tested against a
 * real loaded library. The first word of a query says how to answer:
 *   echo        "Success", the query exactly as received
 *   fail        "Failure", "Nothing is known about that"
 *   zero        "Success" with a length of 0
 *   noise       a header that holds extraneous output and no length
 *   nopointer   "Success" and a length, but no response text
 *   short       a header announcing more bytes than the response has before its zero byte
 *   cut         a header announcing more bytes than the library says it hands over
 *   huge N      "Success", N bytes of "x" and a newline
 *   lines N     "Success", N lines "id<i>"
 * anything else is answered "Failure", "unknown query". */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "domains/domain_library_entry.h"

static char* buffer = NULL;
static size_t capacity = 0;

static char* Reserve(size_t size) {
  if (size + 1 > capacity) {
    char* grown = realloc(buffer, size + 1);
    if (grown == NULL) return NULL;
    buffer = grown;
    capacity = size + 1;
  }
  return buffer;
}

/* "Success" or "Failure", a blank and the length, cut to the header's 16 bytes. */
static void WriteHeader(char* header, const char* flag, unsigned long length) {
  char text[48];
  const int size = snprintf(text, sizeof text, "%s %lu", flag, length);
  memcpy(header, text, size < 16 ? (size_t)size + 1 : 16);
}

static void Answer(const char* flag, const char* text, size_t length, char* header,
                   const char** response, unsigned long* responseLength) {
  char* out = Reserve(length);
  if (out == NULL) {
    WriteHeader(header, "Failure", 0);
    return;
  }
  memcpy(out, text, length);
  out[length] = '\0';
  WriteHeader(header, flag, (unsigned long)length);
  *response = out;
  *responseLength = (unsigned long)length;
}

static int Starts(const char* query, const char* word) {
  const size_t n = strlen(word);
  return strncmp(query, word, n) == 0 && (query[n] == ' ' || query[n] == '\n');
}

void Query(const char* query, char* header, const char** response, unsigned long* length) {
  if (Starts(query, "echo")) {
    Answer("Success", query, strlen(query), header, response, length);
  } else if (Starts(query, "fail")) {
    static const char text[] = "Nothing is known about that\n";
    Answer("Failure", text, sizeof text - 1, header, response, length);
  } else if (Starts(query, "zero")) {
    Answer("Success", "", 0, header, response, length);
  } else if (Starts(query, "noise")) {
    memcpy(header, "Loading\nconfig..", 16);
    *response = "x\n";
    *length = 2;
  } else if (Starts(query, "nopointer")) {
    WriteHeader(header, "Success", 5);
    *length = 5;
  } else if (Starts(query, "short")) {
    static const char text[] = "abc\n";
    WriteHeader(header, "Success", 100);
    *response = text;
    *length = 100;
  } else if (Starts(query, "cut")) {
    static const char text[] = "abcd";
    WriteHeader(header, "Success", 100);
    *response = text;
    *length = 4;
  } else if (Starts(query, "huge")) {
    const size_t size = strtoul(query + 5, NULL, 10);
    char* out = Reserve(size + 1);
    if (out == NULL) return;
    memset(out, 'x', size);
    out[size] = '\n';
    out[size + 1] = '\0';
    WriteHeader(header, "Success", (unsigned long)(size + 1));
    *response = out;
    *length = (unsigned long)(size + 1);
  } else if (Starts(query, "lines")) {
    const size_t count = strtoul(query + 6, NULL, 10);
    char* out = Reserve(count * 12);
    size_t used = 0;
    if (out == NULL) return;
    for (size_t i = 0; i < count; ++i)
      used += (size_t)sprintf(out + used, "id%lu\n", (unsigned long)i);
    WriteHeader(header, "Success", (unsigned long)used);
    *response = out;
    *length = (unsigned long)used;
  } else {
    static const char text[] = "unknown query\n";
    Answer("Failure", text, sizeof text - 1, header, response, length);
  }
}

/* The answer buffer goes with the library when it is unloaded. */
__attribute__((destructor)) static void FreeAnswerBuffer(void) {
  free(buffer);
  buffer = NULL;
  capacity = 0;
}
