// The program as the entry point runs it, with run-time errors left to the
// caller: main reports them and exits, a test or fuzz target observes them.
#pragma once

// Banner, structure, analysis, last actions. Throws ErreurExecution on a
// run-time error, leaving the structure in `Structure`, not destroyed.
void Programme();

// After a run-time error caught in-process: releases the structure without
// closing its results file in order and without starting the viewer.
void LibererApresErreur() noexcept;
