#pragma once

// Symbols that the loaded module makes visible to its host by name. Everything
// else in the module stays hidden.
#define MODULE_API __attribute__((visibility("default")))
