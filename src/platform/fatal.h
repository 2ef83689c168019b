// The one way out on a fatal error. Whatever start-up brought up registers
// how to take itself down; the fatal path takes it all down in reverse
// order, shows the message where the player can see it, and ends the
// process with exit code 1.
#ifndef PAPERLUNE_PLATFORM_FATAL_H
#define PAPERLUNE_PLATFORM_FATAL_H

// Called by the fatal path, the last one registered first. Registering the
// same function again keeps its first place.
void AtFatalExit(void (*teardown)());
// Takes the registration back, as its part shuts down the normal way.
void CancelFatalExit(void (*teardown)());

// Tears down what was registered, shows `message` in a message box (none
// when it is null), shuts the graphics library down and exits with 1.
[[noreturn]] void FatalExit(const char *message);

#endif
