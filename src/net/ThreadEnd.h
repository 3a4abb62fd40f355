#pragma once

class QThread;

// Ends a worker thread without keeping the caller waiting: asks it to quit and gives it a moment
// (a transfer aborts in a few milliseconds), then, if it is still busy with work that cannot be
// cut short, lets it end by itself and deletes it then. The program waits for those still running
// on its way out rather than take Qt down under them.
void endWorkerThread(QThread *thread);
