#pragma once
// Creates every window once, in the fixed start-up order, and frees them at the end.
// Returns false when the main window's start-up failed; nothing else is made then.
bool CreateForms();
void DestroyForms();
