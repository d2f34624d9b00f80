// SPDX-License-Identifier: MIT
// main.cpp: the program entry of `arvelo`: it only starts the application shell.
#include "Arvelo/Shell/ApplicationHost.h"

int main(int argc, char** argv) { return arvelo::runArveloApplication(argc, argv); }
