#pragma once

namespace tumbo {

// Registers the pictures compiled into the ui library: those its panels draw and the
// program's icon. The library is static, so the linker would otherwise leave them out.
// Safe to call more than once.
void InitResources();

}  // namespace tumbo
