#pragma once
// Ending the program from any handler: the program's entry installs what stops its message
// loop; a start-up that has not reached the loop yet sees requested() and does not enter it.
#include <functional>

namespace ProgramExit {

void request();
bool requested();
// What request() does besides recording it (the program stops its loop; tests install none).
void setStopper(std::function<void()> stop);
// For a new run in the same process (tests).
void reset();

} // namespace ProgramExit
