#include "app/entry_point.h"

int main(int argc, char** argv) { return QuorvelMain(argc, argv); }
