#pragma once

#include <string>
#include <vector>

// The dynamic loader holds its locks for the whole of a dlopen: while it maps, links and starts
// a library and every library that one needs, no other thread of the process can start a thread,
// make its first thread_local object of a kind or load a library. Opened one needed library at a
// time, those it needs first, a library that needs a hundred others holds the loader for one
// library's load at a time.

// The libraries that opening `name` brings into the process, each after those it needs and
// `name` last: those that the process does not have yet and that the loader finds where it looks
// for the program's own. A library that another finds in folders of its own (DT_RUNPATH) is left
// to that one. Empty when `name` is not found.
std::vector<std::string> libraryLoadOrder(const std::string &name);

// Opens the shared library `name` as dlopen(name, RTLD_NOW | RTLD_LOCAL) does, after the
// libraries it needs, one at a time. Null when it cannot be opened, with `why` saying why; then
// nothing of it stays in the process.
void *openLibrary(const std::string &name, std::string &why);
