// The script fault mark: a command that meets an argument it cannot serve and has no result
// for it (a word naming no live object where the command gives no null-handle result) raises
// the mark; the command call checks it after the handler and ends the run with the
// invalid-script result, the program counter left at the command. One mark per thread, since
// each thread that runs scripts calls its own handlers.
#pragma once

void RaiseScriptFault();
// Reads and clears the mark.
bool TakeScriptFault();
