/* A shared object that loads but exports no "Query": a domain library built from the wrong
 * source. */
int NotTheQueryFunction(void) { return 42; }
