#pragma once
// The running program's own read-only data: its literal texts and constant tables. Nothing can
// write there for the life of the process, so a text found there reads the same whenever it is
// seen again at the same address.

// True when `address` lies in a read-only loaded segment of the program file itself (not of a
// shared library, which may be unloaded and its addresses reused). False for null.
bool is_program_constant(const void* address);
