// Command files and answer files on disk: reading and writing them line by line in a
// chosen encoding, the names and contents of answers, and the folder listing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "jobs/text_encoding.h"
#include "platform/clock.h"

namespace meridox::jobs {

// Splits at CR LF, a lone CR or a lone LF. A final line break does not start another
// line; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

// True when the line holds nothing but blanks and control characters.
bool IsBlankLine(std::string_view line);

// The whole file as bytes; throws std::runtime_error with the system's text on failure.
std::string ReadFileBytes(const std::string& file_name);

// The file's lines decoded with the encoding. No byte-order mark is recognised or
// removed. Throws std::runtime_error when the file cannot be read.
std::vector<std::string> LoadFile(const std::string& file_name, const TTextEncoding& encoding);
std::vector<std::string> DecodeLines(std::string_view bytes, const TTextEncoding& encoding);

// Writes the lines of text, each followed by CR LF, encoded, replacing any existing file.
// A missing folder is created first. Throws std::runtime_error on failure.
void SaveFile(const std::string& file_name, std::string_view text, const TTextEncoding& encoding);

// "order17.txt" picked up at 14:30:05 -> "order17_143005.Ans" (folder dropped, extension
// replaced).
std::string AnswerFileName(std::string_view command_file, const platform::LocalTime& at);

// The answer root followed by the date as yyMMdd and a path delimiter.
std::string AnswerFolderOf(std::string_view answer_dir, const platform::LocalTime& day);

// The answer texts: "OK", or the command file's lines after "File Text:", two empty
// lines and "Error:" with the message.
std::string SuccessAnswer();
std::string FailureAnswer(const std::vector<std::string>& file_lines, std::string_view message);

// Full paths (folder + delimiter + name) of the folder's entries whose names match the
// mask ('*' and '?', case-insensitive), in enumeration order, whatever their kind. An
// unreadable or missing folder lists nothing.
void ListFiles(std::string_view folder, std::string_view mask, std::vector<std::string>& list);

// Case-insensitive match of a file name against a mask of '*' and '?'.
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace meridox::jobs
