#pragma once
// Creates every window once, in the fixed start-up order, and frees them at the end.
// Returns false when start-up failed (the file could not be opened or read): the
// box has been shown and no window is left.
bool CreateForms();
void DestroyForms();

// Shows the main window and runs the message loop until the program ends; the
// first-show work (login, alert build) runs inside the loop, so that the login
// can end the program. Returns the program's exit code: 1 when the first show
// could not read the file.
int RunMainLoop();
