// The program as the entry point runs it, with run-time errors left to the
// caller: main reports them and exits, a test or fuzz target observes them.
#pragma once

// Banner, structure, analysis, last actions. Throws ErreurExecution on a
// run-time error, leaving the structure in `Structure`, not destroyed.
void Programme();
