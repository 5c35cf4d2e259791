// The program's name and version as its version resource gives them, for
// what the program writes into files about itself.
#pragma once
#include <string>

// "Tonvelka 1.1": the product version's first two numbers; the name alone
// when the running module has no version resource.
std::string ProgramVersionText();
