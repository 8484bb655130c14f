// The actions behind the Open, Save, Compile and Info commands. Each is kept
// in a file of its own so that the operations it needs can be wired in there.
#pragma once

void RunOpenCommand();
void RunSaveCommand();
void RunCompileCommand();
void RunInfoCommand();
