// The service's life in the foreground: it serves until SIGINT or SIGTERM, or until the
// server stops by itself.
#pragma once

#include "tools/lesson-service/lesson_server.h"

// Runs Serve on this thread; a stop signal stops the server cleanly. The two signals stay
// blocked for this thread and those it starts while serving, and are restored after.
void ServeUntilSignalled(LessonServer& server);
