// The computer's own output volume: the master level of the default playback device, as the
// settings dialog's slider and the classroom's saved volume see it. Each call opens and closes
// everything it uses. User-interface thread.
#pragma once

// The level as a whole percent, truncated toward zero (75.5 % reads 75); -1 on failure.
int GetSystemVolume();
// Sets the level to percent / 100; 0 on success, -1 on failure (also for a percent outside
// 0 to 100, which no device level can be).
int SetSystemVolume(int percent);
