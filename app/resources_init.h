#pragma once

// Registers the pictures compiled into the program; the window's library is static, so
// the linker would otherwise leave them out. Safe to call more than once.
void InitResources();
