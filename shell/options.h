// Command-line conventions shared by the game and its tools: the name a program
// answers to, its version text and the answer to a mistyped command line.
#pragma once

// Status of a run refused for its command line.
enum { OPTIONS_BAD_USAGE = 2 };

// Returns the name the program answers to, argv[0] without its folders (what
// the player typed, even when a launcher started the program from a private
// folder), or program when there is no argv[0]; argv[0] becomes that name, as
// getopt_long names the program in its complaints.
const char* options_name(int argc, char** argv, const char* program);
// Writes "<program> <version>" and the copyright line to standard output.
void options_version(const char* program);
// Writes "<name>: <problem>" (problem may be null when getopt_long has already
// complained) and the hint to ask for --help to standard error; returns
// OPTIONS_BAD_USAGE.
int options_refuse(const char* name, const char* problem);
