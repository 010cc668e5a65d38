#pragma once
// What a start does for the register file before anything reads it: takes the lock of one
// program per register, finishes or undoes a restore that was stopped and says which, and
// removes what stopped backups and restores left.
class RegisterLock;

namespace RegisterAtStart {

// False (after a message) when another running program has the register open.
bool prepare(RegisterLock& lock);

} // namespace RegisterAtStart
