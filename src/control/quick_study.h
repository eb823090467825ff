#pragma once

#include <string>

class TParamFile;

// The quick study of a folder: every file in it and its subfolders (hidden
// ones and the outputs' own folder skipped), lower case, punctuation and
// numbers removed with the built-in English language file, chunks of three
// words, every pair compared, results on and no per-pair files. Its outputs
// go under output, in results/, vocabularies/ and log/.
//
// Makes those folders when missing and fills map with the study's settings.
// False, with error saying why, when a folder cannot be made.
// With a language (its code), the study also follows the Unicode rules and
// removes the language's stop words.
bool prepareQuickStudy(const std::string& folder, const std::string& output,
                       const std::string& language, TParamFile& map, std::string& error);
