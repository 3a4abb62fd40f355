#include "player/ProcessSettings.h"

#include <clocale>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Blocks from this size on are mapped apart from the heap (glibc's start value).
constexpr int MmapThreshold = 128 * 1024;

} // namespace

void applyProcessSettings() {
    // The engine parses numbers in the "C" locale and refuses to start in any other; the
    // application object has applied the user's.
    std::setlocale(LC_NUMERIC, "C");
#ifdef __GLIBC__
    // The engine allocates and frees buffers of frame size for every stream. Each time such a
    // block is freed, glibc raises the size from which blocks get a mapping of their own; the
    // next ones then come from the heap and, once freed, stay with the process: some dozens of
    // tunings later, hundreds of megabytes. With a fixed threshold they go back when freed.
    mallopt(M_MMAP_THRESHOLD, MmapThreshold);
#endif
}
