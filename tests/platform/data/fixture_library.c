/* A tiny shared object for the dynamic-library tests: one exported C function. */

int fixture_answer(void);

int fixture_answer(void) { return 42; }
