// Text tests and edits for naming scripts: equality and containment with or without
// letter case, pattern replacement, blank removal, and splitting into a list.
#pragma once

#include <nlohmann/json.hpp>
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

// JSON texts, strictly: one value and nothing but blanks after it, no comments. Both
// answer 0; a failure (ERR_JSON_PARSE, ERR_JSON_SERIALIZE) is reported through the error
// code only and leaves the target as it was. Values nested deeper than JSON_MAX_DEPTH
// are refused both ways, so no reader or writer runs out of stack on them.
constexpr int JSON_MAX_DEPTH = 512;
int Json_Deserialize(std::string text, nlohmann::json& value);
// Compact, members in key order, non-ASCII written as UTF-8; invalid UTF-8 fails.
int Json_Serialize(const nlohmann::json& value, std::string& text);

}  // namespace mx_api::string
