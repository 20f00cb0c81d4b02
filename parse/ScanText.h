#pragma once

// Text-scanning primitives shared by the report readers, the response
// analysers and the link utilities, and exported to the other modules.
//
// They work on 8-bit, zero-terminated text held in memory and keep no state
// between calls. Many take a cursor: the caller's `char*` into the text,
// passed by address, moved forward on success and left untouched on failure.
// A "set" is a zero-terminated list of characters; the terminator is never a
// member. None of the functions throws (except std::bad_alloc from the strings
// they fill); failure is 0, null or an empty string with the cursor and the
// out-arguments unchanged. Text and cursor arguments must be valid terminated
// text unless a function says that null is accepted.

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The first place in `text` where `pattern` occurs, or null. A pattern that
// begins with '<' (an HTML tag) is matched without regard to the case of
// ASCII letters; any other pattern is matched exactly. The result points into
// `text` itself; neither argument is modified and nothing is allocated.
// Searches take time linear in the text for ordinary patterns; a '<' pattern
// is compared at every '<' of the text.
char* StrStr(char* text, const char* pattern);
const char* StrStr(const char* text, const char* pattern);

// 1 if `c` is one of the characters of `set`, else 0. The terminator never
// matches; a null set is taken as empty.
int IsCharDelimit(char c, const char* set);

// 1 for a sequence character: an ASCII letter or '-' (the gap sign); else 0.
int IsSeqChar(char c);

// The integer that `text` begins with (after leading white space, with an
// optional sign), or 0 when there is none. Null and empty text yield 0.
// A number beyond the range of int yields INT_MAX or INT_MIN.
int GetEnd(const char* text);

// Moves the cursor to the start of the line `count` lines further: each step
// goes to the next '\n' or '\r' and then past the whole run of line breaks, so
// empty lines count for nothing. Stops at the text's terminator. A count of 0
// or less leaves the cursor where it is.
void SkipLine(char** cursor, int count);

// Moves the cursor past blanks (the space character only).
void SkipSpace(char** cursor);

// Copies at most size - 1 characters of `src` to `dst`, fills the rest of the
// first size - 1 places with zeros and terminates `dst` at place size - 1.
// `dst` must hold `size` characters. A size below 1 writes nothing. Returns
// `dst`.
char* strNcpy(char* dst, const char* src, int size);

// The text between the first "gi|" of `text` and the next '|', or an empty
// string when either is missing.
std::string ParseID(std::string text);

// The integer in `text` after every character other than a decimal digit or
// '-' is removed (so "1,234" gives 1234 and "2e-05" gives 2); 0 when no number
// remains. Unlike the standard atoi, a number beyond the range of int is
// clamped to INT_MAX or INT_MIN. The standard char* form stays available.
int atoi(std::string text);
using ::atoi;

// The number in `text` after every character other than a decimal digit, '-',
// '.', 'E' or 'e' is removed, read as the standard atof reads it (so
// "1e-120," gives 1e-120, but "Score = 37.4" gives 0: the label's 'e'
// survives). The standard char* form stays available.
double atof(std::string text);
using ::atof;

// Looks for `pattern` (case-sensitive) from the cursor. On success moves the
// cursor to the match's first character and returns 1. Returns 0, cursor
// unchanged, when the pattern is missing or, for a positive `limit`, when the
// match starts more than `limit` characters after the cursor. A limit of 0 or
// less means no limit. Reads no further than the match (or, with a limit, the
// limit plus the pattern's length).
int FindString(char** cursor, const char* pattern, int limit);

// Takes a value that follows markers: from the cursor, finds `first` and then
// `second` and moves past each (either may be null: not searched), moves past
// the characters of `skip` (null: none), and takes the text up to, not
// including, the next character of `stop` into `value`; the cursor then
// rests just past that stop character and the result is 1. Fails (0, cursor
// and value unchanged) when a marker is missing, when no stop character
// follows before the text's end, when `stop` is null, or when `limit` is not 0
// and the value would begin more than `limit` characters after the cursor (a
// negative limit therefore always fails).
int GetString(char** cursor, const char* first, const char* second, const char* skip,
              std::string& value, const char* stop, int limit);

// As GetString without a limit, but the second marker is required and
// belongs to the value: the position stays at the marker's first character,
// so the value begins with the marker. A null `second` or `stop` fails at once.
int GetStringStarts(char** cursor, const char* first, const char* second, const char* skip,
                    std::string& value, const char* stop);

// Splits a run of items up to a terminator: while the cursor is neither at the
// text's end nor on a character of `terminators`, skips characters of
// `separators` and gathers the next item up to the end, a terminator or a
// separator, appending it to `items` when it is not empty. Then moves the
// cursor past every consecutive terminator character. `items` is not emptied
// first; returns its size afterwards. Null sets are taken as empty.
int SeparateString(char** cursor, const char* separators, const char* terminators,
                   std::vector<std::string>& items);

// Splits a command line at blanks, keeping double-quoted phrases together; the
// quotes stay part of their items. Appends the items to `items` and returns 1,
// or returns 0 (adding nothing) for a null or empty line.
int ParseCmdList(const char* line, std::vector<std::string>& items);

}  // namespace BLASTSEARCH_EXPORT
