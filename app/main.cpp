#include "app/TProgram.h"

int main(int argc, char** argv) { return halvane::TProgram::Run(argc, argv); }
