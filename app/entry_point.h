// The program's entry: everything main() does, so that main stays a one-line shim.
#pragma once

int QuorvelMain(int argc, char** argv);
