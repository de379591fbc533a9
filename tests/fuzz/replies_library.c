/* The domain library of the "replies" fuzz target: it answers each query with the next of the
 * replies that the target set (header, bytes, reported length, or no text at all), whatever the
 * query, and counts the queries that break the protocol (not ending in exactly one newline).
 *
 * Every reply is handed over in a buffer of exactly the length the library reports, allocated
 * anew for each answer and never zero-terminated, so that a read past it is caught by the
 * address sanitizer. A library that reports more bytes than its buffer holds (and writes no zero
 * byte) would make the agent read past that buffer: an in-process library can always do that,
 * and the agent cannot tell, so the fuzz library never does; this tests the agent's own reading
 * of the header, the length and the text.
 *
 * With the environment variable REPLIES_TRACE set, each query and the number of the reply that
 * answers it are printed on the standard output (for writing seeds). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "domains/domain_library_entry.h"

struct FuzzReply {
  char header[16];
  const char* bytes; /* the reply's text, `size` bytes */
  unsigned long size;
  unsigned long length; /* the length reported through the entry point */
  int noText;           /* nonzero: no response pointer at all */
};

static struct FuzzReply* replies = NULL;
static unsigned long replyCount = 0;
static unsigned long nextReply = 0;
static char* answer = NULL;
static unsigned long faults = 0;

/* Replaces the replies (copied) and starts from the first; clears the fault count. */
void SetReplies(const struct FuzzReply* given, unsigned long count) {
  unsigned long i;
  for (i = 0; i < replyCount; ++i) free((void*)replies[i].bytes);
  free(replies);
  replies = NULL;
  replyCount = 0;
  nextReply = 0;
  faults = 0;
  if (count == 0) return;
  replies = calloc(count, sizeof *replies);
  if (replies == NULL) abort();
  for (i = 0; i < count; ++i) {
    char* bytes = malloc(given[i].size + 1);
    if (bytes == NULL) abort();
    memcpy(bytes, given[i].bytes, given[i].size);
    replies[i] = given[i];
    replies[i].bytes = bytes;
  }
  replyCount = count;
}

/* The replies used so far. */
unsigned long RepliesUsed(void) { return nextReply; }

/* The queries since SetReplies that did not end in exactly one newline. */
unsigned long QueryFaults(void) { return faults; }

void Query(const char* query, char* header, const char** response, unsigned long* length) {
  const char* newline = strchr(query, '\n');
  const struct FuzzReply* reply;
  if (newline == NULL || newline[1] != '\0') ++faults;
  if (getenv("REPLIES_TRACE") != NULL) printf("reply %lu <- %s", nextReply, query);
  free(answer);
  answer = NULL;
  if (nextReply >= replyCount) {
    static const char text[] = "no more replies\n";
    memcpy(header, "Failure 16\0\0\0\0\0\0", 16);
    *response = text;
    *length = sizeof text - 1;
    return;
  }
  reply = &replies[nextReply++];
  memcpy(header, reply->header, 16);
  if (reply->noText) {
    *response = NULL;
    *length = reply->length;
    return;
  }
  answer = malloc(reply->length > 0 ? reply->length : 1);
  if (answer == NULL) abort();
  memset(answer, 'x', reply->length);
  memcpy(answer, reply->bytes, reply->size < reply->length ? reply->size : reply->length);
  *response = answer;
  *length = reply->length;
}

__attribute__((destructor)) static void ForgetReplies(void) {
  SetReplies(NULL, 0);
  free(answer);
  answer = NULL;
}
