// The program's entry: everything main() does, so that main stays a one-line shim.
//
// "--version" and "--help" print and end at once; every other argument is ignored. A second
// copy raises the running one and ends; the first runs the main window's message loop with the
// drag-full-windows option off, and restores that option when the loop ends. Only that first
// copy writes the settings file back at exit.
#pragma once

int QuorvelMain(int argc, char** argv);
