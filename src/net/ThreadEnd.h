#pragma once

class QThread;

// Lets a worker thread that has been asked to quit end by itself and deletes it then; the
// program waits for those still running on its way out rather than take Qt down under them.
void letFinishAlone(QThread *thread);
