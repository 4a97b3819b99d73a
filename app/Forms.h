#pragma once
// Creates every window once, in the fixed start-up order, and frees them at the end.
// Returns false when the main window's start-up failed; nothing else is made then.
bool CreateForms();
void DestroyForms();

// Shows the main window and runs the message loop until the program ends; the
// first-show work (login, alert build) runs inside the loop, so that the login
// can end the program. Returns the program's exit code.
int RunMainLoop();
