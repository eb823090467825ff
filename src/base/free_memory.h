#pragma once

// Gives the memory the process has freed, in every thread's pool, back to
// the system, so that it stops counting against the process and a later
// thread can be given it afresh. It costs a few milliseconds after a
// large stage.
void giveBackFreeMemory();
