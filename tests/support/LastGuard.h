#pragma once
// Every test program fails a test during which an error escaped every handler
// and reached the application's last guard: the guard is a safety net, never
// the way an error is handled.

// Adds a failure to the running test when the guard caught an error since its
// count was last reset.
void ExpectLastGuardQuiet();
