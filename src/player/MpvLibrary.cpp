#include "player/MpvLibrary.h"

#include "player/LibraryLoad.h"

#include <atomic>
#include <cstdio>
#include <string>

#include <dlfcn.h>

namespace {

// The library of the client API the program was built against: its major version is the
// library's.
const std::string LibraryName = "libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16);

// A library of that name that no system has.
const std::string MissingName = LibraryName + ".missing";

std::atomic<MpvFault> injectedFault{MpvFault::None};

template <typename Function> bool resolve(void *library, const char *name, Function &function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const MpvLibrary *load(const std::string &name) {
    std::string why;
    void *library = openLibrary(name, why);
    if (library == nullptr) {
        std::fprintf(stderr, "ruredivu: %s\n", why.c_str());
        return nullptr;
    }
    // Never unloaded: the engine's threads and callbacks live as long as the process.
    static MpvLibrary mpv{};
    const bool complete = resolve(library, "mpv_create", mpv.create) &&
                          resolve(library, "mpv_set_option_string", mpv.setOptionString) &&
                          resolve(library, "mpv_initialize", mpv.initialize) &&
                          resolve(library, "mpv_terminate_destroy", mpv.terminateDestroy) &&
                          resolve(library, "mpv_observe_property", mpv.observeProperty) &&
                          resolve(library, "mpv_set_wakeup_callback", mpv.setWakeupCallback) &&
                          resolve(library, "mpv_set_property_async", mpv.setPropertyAsync) &&
                          resolve(library, "mpv_command_async", mpv.commandAsync) &&
                          resolve(library, "mpv_wait_event", mpv.waitEvent) &&
                          resolve(library, "mpv_render_context_create", mpv.renderContextCreate) &&
                          resolve(library, "mpv_render_context_set_update_callback",
                                  mpv.renderContextSetUpdateCallback) &&
                          resolve(library, "mpv_render_context_update", mpv.renderContextUpdate) &&
                          resolve(library, "mpv_render_context_render", mpv.renderContextRender) &&
                          resolve(library, "mpv_render_context_free", mpv.renderContextFree);
    if (!complete) {
        std::fprintf(stderr, "ruredivu: %s lacks a function the player needs\n", name.c_str());
        return nullptr;
    }
    return &mpv;
}

// The library with its start failing as `fault` says.
const MpvLibrary *failing(const MpvLibrary &mpv, MpvFault fault) {
    static const MpvLibrary notCreated = [&] {
        MpvLibrary copy = mpv;
        copy.create = [] { return static_cast<mpv_handle *>(nullptr); };
        return copy;
    }();
    static const MpvLibrary notStarted = [&] {
        MpvLibrary copy = mpv;
        copy.initialize = [](mpv_handle *) { return int(MPV_ERROR_GENERIC); };
        return copy;
    }();
    return fault == MpvFault::NotCreated ? &notCreated : &notStarted;
}

} // namespace

const MpvLibrary *loadMpvLibrary() {
    const MpvFault now = injectedFault;
    if (now == MpvFault::NoLibrary)
        return load(MissingName);
    static const MpvLibrary *const mpv = load(LibraryName);
    return mpv == nullptr || now == MpvFault::None ? mpv : failing(*mpv, now);
}

void setMpvFault(MpvFault fault) {
    injectedFault = fault;
}
