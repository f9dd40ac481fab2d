#include "api/string.h"

#include <algorithm>
#include <boost/regex.hpp>
#include <cctype>
#include <functional>

#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "utility/mx_utility.h"

namespace mx_api::string {

using namespace mx_error;

namespace {

// Byte-wise folding under the process locale: in the "C" locale only A-Z change, and
// the bytes of multi-byte characters are left as they are.
std::string folded(const char* s) {
  std::string text = mx_utility::text(s);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

template <class Test>
bool check(const char* textString, const char* checkString, bool* out, bool fold, Test test) {
  return frame([&] {
    const auto prepare = [fold](const char* s) { return fold ? folded(s) : mx_utility::text(s); };
    put(out, test(prepare(textString), prepare(checkString)));
  });
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The ECMAScript replacement rules: "$&" the match, "$1".."$99" its groups (two digits
// when two follow; a group the pattern lacks gives nothing), "$`" and "$'" the text
// before and after it, "$$" a dollar; any other "$" stands for itself. Backslashes in
// the replacement are plain text.
struct ecmascript_format {
  const std::string& replacement;

  std::string operator()(const boost::smatch& match) const {
    const std::string& r = replacement;
    const auto digit = [&r](size_t i) { return i < r.size() && std::isdigit(static_cast<unsigned char>(r[i])); };
    std::string out;
    for (size_t i = 0; i < r.size(); ++i) {
      if (r[i] != '$' || i + 1 == r.size()) {
        out += r[i];
        continue;
      }
      switch (r[++i]) {
        case '$': out += '$'; break;
        case '&': out += match[0].str(); break;
        case '`': out += match.prefix().str(); break;
        case '\'': out += match.suffix().str(); break;
        default:
          if (!digit(i)) {
            out += '$';
            --i;
            break;
          }
          int group = r[i] - '0';
          if (digit(i + 1)) group = group * 10 + (r[++i] - '0');
          out += match[group].str();
      }
    }
    return out;
  }
};

// The replaced text, cut at `limit` bytes. Matches are visited only while the result is
// still short of the limit, so a pattern that matches everywhere in a long text (an
// empty one, say) ends as soon as the caller's buffer is full.
std::string replaced(const std::string& text, const boost::regex& pattern, const ecmascript_format& format,
                     size_t limit) {
  std::string out;
  auto rest = text.cbegin();
  for (boost::sregex_iterator it(text.cbegin(), text.cend(), pattern), end; it != end && out.size() < limit; ++it) {
    out.append(it->prefix().first, it->prefix().second);
    out += format(*it);
    rest = (*it)[0].second;
  }
  if (out.size() < limit) out.append(rest, text.cend());
  if (out.size() > limit) out.resize(limit);
  return out;
}

}  // namespace

bool CheckSameString(const char* textString, const char* checkString, bool* out) {
  return check(textString, checkString, out, true, std::equal_to<std::string>());
}

bool CheckIncludeString(const char* textString, const char* checkString, bool* out) {
  return check(textString, checkString, out, true, contains);
}

bool CheckIncludePerfectString(const char* textString, const char* checkString, bool* out) {
  return check(textString, checkString, out, false, contains);
}

bool ReplaceSearchString(const char* textString, const char* searchString, const char* replaceString, char* out,
                         int size) {
  return frame([&] {
    // Boost's engine keeps the ECMAScript grammar but reports a match that grows too
    // complex or too deep (long takes' texts, nested repeats) as an exception, which the
    // frame turns into an error code with nothing written. As in ECMAScript, "^" and "$"
    // hold only at the ends of the text and "." stops at line breaks.
    const boost::regex pattern(mx_utility::text(searchString),
                               boost::regex::ECMAScript | boost::regex::no_mod_m | boost::regex::no_mod_s);
    const std::string replacement = mx_utility::text(replaceString);
    const size_t limit = size > 0 ? static_cast<size_t>(size) - 1 : 0;
    mx_utility::strcpy(out, size, replaced(mx_utility::text(textString), pattern, ecmascript_format{replacement}, limit));
  });
}

bool DeleteBlankString(const char* text, char* out, int size) {
  return frame([&] {
    std::string kept = mx_utility::text(text);
    kept.erase(std::remove(kept.begin(), kept.end(), ' '), kept.end());
    mx_utility::strcpy(out, size, kept);
  });
}

bool GetStringSplitList(const std::string& base, const std::string& separators, std::vector<std::string>& list) {
  return frame([&] {
    size_t start = 0;
    while (start < base.size()) {
      size_t end = separators.empty() ? std::string::npos : base.find_first_of(separators, start);
      if (end == std::string::npos) end = base.size();
      list.push_back(base.substr(start, end - start));
      start = end + 1;
    }
  });
}

namespace {

struct too_deep {};

// The deepest nesting of arrays and objects in a value, walked without recursion.
int depth_of(const nlohmann::json& value) {
  std::vector<std::pair<const nlohmann::json*, int>> pending{{&value, 0}};
  int deepest = 0;
  while (!pending.empty()) {
    const auto [v, depth] = pending.back();
    pending.pop_back();
    if (!v->is_structured()) continue;
    deepest = std::max(deepest, depth + 1);
    if (deepest > JSON_MAX_DEPTH) break;
    for (const auto& child : *v) pending.emplace_back(&child, depth + 1);
  }
  return deepest;
}

}  // namespace

int Json_Deserialize(std::string text, nlohmann::json& value) {
  return frame(0, [&] {
    try {
      const auto limit = [](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
        const bool opens =
            event == nlohmann::json::parse_event_t::object_start || event == nlohmann::json::parse_event_t::array_start;
        if (opens && depth >= JSON_MAX_DEPTH) throw too_deep{};
        return true;
      };
      value = nlohmann::json::parse(text, limit, true, false);
    } catch (...) {
      raise(ERR_JSON_PARSE);
    }
    return 0;
  });
}

int Json_Serialize(const nlohmann::json& value, std::string& text) {
  return frame(0, [&] {
    try {
      if (depth_of(value) > JSON_MAX_DEPTH) raise(ERR_JSON_SERIALIZE);
      text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    } catch (...) {
      raise(ERR_JSON_SERIALIZE);
    }
    return 0;
  });
}

namespace {
MX_FAMILY("Text");
const mx_plugin::registrar definitions[] = {
    MX_DEF_LIST(101, Json_Deserialize, "void", "const char*,object*", "jsonStr,objOut", "Convert json string to object"),
    MX_DEF_LIST(102, Json_Serialize, "void", "object*,string*", "obj,jsonStrOut", "Convert object to json string"),
    MX_DEF(55, CheckSameString, bool_out, "textString,checkString", "Check Same String"),
    MX_DEF(56, CheckIncludeString, bool_out, "textString,checkString", "Check Include String"),
    MX_DEF(57, CheckIncludePerfectString, bool_out, "textString,checkString", "Check Include PerfectString"),
    MX_DEF(58, ReplaceSearchString, flag_void, "textString,searchString,replaceString,stringOut,stringOut_sz",
           "Replace String"),
    MX_DEF(59, DeleteBlankString, flag_void, "testString,stringOut,stringOut_sz", "Delete Blank String"),
    MX_DEF_LIST(113, GetStringSplitList, "void", "const char*,const char*,StringArray*", "baseStr,splitStr,splitListOut",
                "Get splitted string list"),
};
}  // namespace

}  // namespace mx_api::string
