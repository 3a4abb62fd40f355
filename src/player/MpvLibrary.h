#pragma once

#include <mpv/client.h>
#include <mpv/render.h>

// libmpv's functions that the player calls. The library is loaded when the player starts its
// engine, not with the program: loading and linking it and the libraries it needs takes longer
// than building and showing the whole window. It is loaded a library at a time (LibraryLoad.h),
// so that the window's thread, which needs the dynamic loader to start a thread or to load a
// plugin of its own, never waits for the whole of it.
struct MpvLibrary {
    decltype(&mpv_create) create;
    decltype(&mpv_set_option_string) setOptionString;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_terminate_destroy) terminateDestroy;
    decltype(&mpv_observe_property) observeProperty;
    decltype(&mpv_set_wakeup_callback) setWakeupCallback;
    decltype(&mpv_set_property_async) setPropertyAsync;
    decltype(&mpv_command_async) commandAsync;
    decltype(&mpv_wait_event) waitEvent;
    decltype(&mpv_render_context_create) renderContextCreate;
    decltype(&mpv_render_context_set_update_callback) renderContextSetUpdateCallback;
    decltype(&mpv_render_context_update) renderContextUpdate;
    decltype(&mpv_render_context_render) renderContextRender;
    decltype(&mpv_render_context_free) renderContextFree;
};

// Loads libmpv once, from any thread; null when it cannot be loaded or lacks a function.
const MpvLibrary *loadMpvLibrary();

// Ways for the engine's start to fail on purpose, so that the program can be tried without an
// engine on a machine that has one: the library is not found, or the engine it gives is not
// created or not started.
enum class MpvFault { None, NoLibrary, NotCreated, NotStarted };

// Applies to the players that start their engine from now on.
void setMpvFault(MpvFault fault);
