#pragma once
// Comma text: a list of strings in one line, as the string lists of the settings and the
// connection lists keep them.
//
// Writing: items are joined with ','. An item holding a blank, a control character, a comma or
// a double quote is written in double quotes with each embedded quote doubled. A list of one
// empty item is written as "" (so that it differs from the empty list).
//
// Reading: leading blanks and control characters are skipped. A quoted item runs to its closing
// quote, with "" standing for one quote (an unterminated quote takes the rest of the text). An
// unquoted item ends at a comma, a blank or a control character, so unquoted blanks separate
// items too ("a b" is two items). Blanks around commas are ignored; two commas in a row give an
// empty item, and so does a comma at the very end.

#include <string>
#include <vector>

std::vector<std::string> CommaTextToList(const std::string& text);
std::string ListToCommaText(const std::vector<std::string>& items);

// Names in the connection lists are compared with letter case ignored.
bool SameIgnoringCase(const std::string& a, const std::string& b);
bool ListHoldsIgnoringCase(const std::vector<std::string>& items, const std::string& name);
