// Command-line conventions shared by the game and its tools: the name a program
// answers to, its options with their help, its version text and the answer to
// a mistyped command line.
#pragma once

#include <functional>

// Status of a run refused for its command line.
enum { OPTIONS_BAD_USAGE = 2 };

// One option of a program, beside the help that describes it, so the two
// cannot drift apart.
struct s_option {
    const char* name;   // the long name, without its dashes
    const char* value;  // what it takes, as the help names it ("FILE"); null: nothing
    int code;           // what options_parse hands on for it; past 255 when it has no short form
    const char* help;   // its description; '\n' starts a continued line
};

// What a program's --help says around its options.
struct s_usage {
    const char* program;   // the name --version gives
    const char* synopsis;  // what follows the name on the usage line; '\n' starts an "or:" line
    const char* summary;   // what the program does, ending in '\n'
    const char* notes;     // printed after the options, or null
    const s_option* options;
    int count;
    bool operand_ends =
        false;  // options stop at the first operand, the rest is not read (the game)
};

// Returns the name the program answers to, argv[0] without its folders (what
// the player typed, even when a launcher started the program from a private
// folder), or program when there is no argv[0]; argv[0] becomes that name, as
// getopt_long names the program in its complaints.
const char* options_name(int argc, char** argv, const char* program);
// Reads the options of argv by usage's table with getopt_long, answering
// -h/--help and --version itself, and hands every other option in turn to take
// with its row and value; options may follow operands, unless usage says the
// first operand ends them. Returns -1 when the program should go on (optind
// then indexes the first operand); otherwise the status to exit with: 0 after
// the help or the version, OPTIONS_BAD_USAGE for an unknown option or when
// take returns non-zero (take then has said why).
int options_parse(
    int argc, char** argv, const char* name, const s_usage& usage,
    const std::function<int(const s_option& option, const char* value)>& take = nullptr);
// Writes usage's help to standard output, name standing for the program.
void options_help(const char* name, const s_usage& usage);
// Writes "<program> <version>" and the copyright line to standard output.
void options_version(const char* program);
// Writes "<name>: <problem>" (problem may be null when getopt_long has already
// complained) and the hint to ask for --help to standard error; returns
// OPTIONS_BAD_USAGE.
int options_refuse(const char* name, const char* problem);
// Reads text as the value of option, a number from low to high, into number: 0;
// or 1 after writing "--<name>: expected a number from <low> to <high>, got '<text>'".
int options_number(const s_option& option, const char* text, double low, double high,
                   double* number);
