#pragma once

#include <string>

// The program's string table: texts of its resources by identifier (status-bar
// prompts and tooltips of commands, and other texts that windows show).
// Texts are constants of the program (resources/) and live for the whole
// process.

// Sets `text` to the string `id` of the program's resources; 1 when it
// exists, 0 (`text` unchanged) otherwise.
int LoadString(unsigned id, std::string& text);
