// Texts from a question file shown in the checker's messages: converted from
// Windows-1252 to UTF-8, line breaks and other control bytes shown escaped,
// long texts shortened.
#pragma once

#include <string>
#include <string_view>

// `text` in double quotes, at most `limit` characters of it.
std::string Shown(std::string_view text, std::size_t limit = 40);

// The bytes of a Windows-1252 text in UTF-8.
std::string Utf8Of(std::string_view windows1252);

// "1 error", "2 errors".
std::string Counted(long long count, const char* singular, const char* plural);
