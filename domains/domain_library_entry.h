/* The entry point that every domain library exports under the name "Query". Plain C, so that a
 * domain library can be written in any language that builds a shared object; it needs nothing
 * else from this project.
 *
 *   query     the query text, zero-terminated, always ending in a newline
 *   header    16 bytes the library fills: "Success" (or "Failure") in bytes 0-6, then from byte 8
 *             the response length in decimal digits
 *   response  where the library stores a pointer to its response text; the text stays owned by
 *             the library and must stay valid until its next call
 *   length    where the library stores the response length in bytes
 */
#ifndef DOMAINS_DOMAIN_LIBRARY_ENTRY_H
#define DOMAINS_DOMAIN_LIBRARY_ENTRY_H

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*QuireQueryEntry)(const char* query, char* header, const char** response,
                                unsigned long* length);

#ifdef __cplusplus
}
#endif

#endif
