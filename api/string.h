// Text tests and edits for naming scripts: equality and containment with or without
// letter case, pattern replacement, blank removal, and splitting into a list.
#pragma once

#include <string>
#include <vector>

namespace mx_api::string {

bool CheckSameString(const char* textString, const char* checkString, bool* out);
bool CheckIncludeString(const char* textString, const char* checkString, bool* out);
bool CheckIncludePerfectString(const char* textString, const char* checkString, bool* out);

// searchString is an ECMAScript pattern; replaceString may name "$&", "$1".."$99",
// "$`", "$'" and "$$". Every match is replaced.
bool ReplaceSearchString(const char* textString, const char* searchString, const char* replaceString, char* out,
                         int size);
// Removes ASCII spaces only; tabs, line ends and ideographic spaces stay.
bool DeleteBlankString(const char* text, char* out, int size);

// Every character of `separators` splits on its own. Consecutive separators give empty
// pieces, a trailing separator gives none. Appends to `list`.
bool GetStringSplitList(const std::string& base, const std::string& separators, std::vector<std::string>& list);

}  // namespace mx_api::string
