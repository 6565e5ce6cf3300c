/*
 * Text.h - the host's text and number conversions.  The module's texts are
 * Shift-JIS (code page 932); everything the host reads and writes (session
 * files, figure lists, traces, pictures, settings files) is UTF-8.
 */
#ifndef NEROLIT_HOST_TEXT_H
#define NEROLIT_HOST_TEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

/* Code page 932 to UTF-8.  A byte that starts no valid character is kept
   visible as \xNN, so a garbled text from the module still shows. */
std::string cp932ToUtf8(const std::string &sjis);

/* Whether the bytes are well-formed UTF-8 (each lead byte followed by its
   continuation bytes). */
bool isUtf8(const std::string &text);

/* UTF-8 to code page 932; nothing when a character has no Shift-JIS form. */
std::optional<std::string> utf8ToCp932(const std::string &utf8);

/* Shortest decimal form that reads back as the same double ("0.1", "2.5",
   "1e+300", "nan", "inf"). */
std::string formatDouble(double v);

/* Stored millionths of a degree as degrees: 270000000 -> "270",
   -1500000 -> "-1.5". */
std::string formatMillionths(int32_t v);

/* Degrees as stored millionths, rounded to nearest; nothing when the text is
   not a number with at most six decimals inside the 32-bit range. */
std::optional<int32_t> parseMillionths(const std::string &text);

/* A number in C's form ("12", "-0.5", "1e-310", "nan", "inf"); nothing
   for any other text, and for a value beyond the largest double or too
   small to be told from 0. */
std::optional<double> parseDouble(const std::string &text);
std::optional<int32_t> parseInt32(const std::string &text);

/* A UTF-8 text in double quotes, with \" and \\ escaped. */
std::string quoted(const std::string &utf8);

/* The words of a line of the session language or of a figure list, split
   at blanks and tabs; a text in double quotes is one word, blanks and all,
   marked by a leading quote character, with \" and \\ read back as the
   character (the inverse of quoted()).  A `#` outside quotes ends the line
   when `hashComments`.  False (and the words so far) when a quoted text is
   not closed. */
bool splitWords(const std::string &line, std::vector<std::string> &words, bool hashComments);

/* The one UTF-8 coder of the host: appends code point cp (up to U+10FFFF)
   as UTF-8; reads the character at s[i], its code point and its length in
   `len`, 0 when the bytes there are not a UTF-8 sequence (no check of
   overlong forms or surrogates: utf8ToCp932 refuses those itself). */
void appendUtf8(std::string &out, uint32_t cp);
uint32_t codePointAt(const std::string &s, size_t i, size_t &len);

/* Whether two names are the same but for the case of ASCII letters (the
   names of commands, settings sections and keys; other bytes, Shift-JIS
   or UTF-8, compare as they are). */
bool sameIgnoringAsciiCase(const std::string &a, const std::string &b);

/* Removes leading and trailing ASCII blanks and ideographic spaces (U+3000). */
std::string trimBlanks(const std::string &utf8);

} // namespace host

#endif
