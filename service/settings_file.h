// The five local settings kept between runs in "app.conf", a JSON object in the folder
// "Quorvel" under the user's application-data folder.
#pragma once

#include <string>

class DataHolder;

// The full path of app.conf, creating its folder and any missing parent first (for this user
// alone); empty when the configuration folder is unknown or cannot be created, or when the
// path does not fit the 520-byte buffer it has always been held in.
std::string SettingsFilePath();

// Reads app.conf into the holder, then applies the defaults (volume 80, hotkey "Alt + S").
// A missing, unreadable or malformed file (nested too deeply included) leaves the values as
// they were; a member of the wrong type or out of range is treated as absent.
void LoadSettings(DataHolder& holder);

// Writes the holder's values as styled JSON. The new file is written beside the old one and
// moved over it only once it is on disk, so app.conf is never left half-written.
// A failure leaves the old file in place and is reported on standard error: the program has
// no window left to say it in when it saves at exit.
void SaveSettings(DataHolder& holder);
