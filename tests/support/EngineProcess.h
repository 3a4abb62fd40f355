#pragma once
// Test programs that play through MpvPlayer make the process-wide settings that main() makes,
// as soon as their application object exists.

#include "player/ProcessSettings.h"

#include <QCoreApplication>

Q_COREAPP_STARTUP_FUNCTION(applyProcessSettings)
