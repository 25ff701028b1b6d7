// Entry point of the presentation.
#include "demo/qvoptions.h"

int main(int argc, char** argv) { return qvMain(argc, argv); }
