// A system function looked up by name in a module loaded at run time, with its own type.
#pragma once
#include <windows.h>

// Null when module is null or has no such export.
template <class Fn> Fn LookupProc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The same into *fn, for a chain of lookups that must all succeed.
template <class Fn> bool ResolveProc(HMODULE module, const char* name, Fn* fn) {
    *fn = LookupProc<Fn>(module, name);
    return *fn != nullptr;
}
