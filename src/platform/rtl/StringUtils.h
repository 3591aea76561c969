#pragma once

// The class library's string routines over the UTF-16 String: conversions,
// trimming, case, comparison, searching, quoting and file names. Positions
// are 1-based and clamped as the class library's; case-insensitive "Ansi"
// routines use the Unicode simple case mappings, independent of the locale.

#include "platform/rtl/String.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rtl {

// --- Numbers

[[nodiscard]] String IntToStr(std::int64_t value);
// Upper-case hexadecimal with at least `digits` digits; negative values show
// their two's complement of the argument's width.
[[nodiscard]] String IntToHex(int value, int digits);
[[nodiscard]] String IntToHex(unsigned value, int digits);
[[nodiscard]] String IntToHex(std::int64_t value, int digits);
[[nodiscard]] String IntToHex(std::uint64_t value, int digits);

// Decimal, or hexadecimal after "$", "x" or "0x"; an optional sign; leading
// blanks are skipped, anything after the digits is an error. A hexadecimal
// value fills the type's bits ("$FFFFFFFF" is -1), a decimal one may not
// overflow. StrToInt raises EConvertError "'%s' is not a valid integer value".
[[nodiscard]] bool TryStrToInt(StringView s, int& value);
[[nodiscard]] int StrToInt(StringView s);
[[nodiscard]] int StrToIntDef(StringView s, int defaultValue);
[[nodiscard]] bool TryStrToInt64(StringView s, std::int64_t& value);
[[nodiscard]] std::int64_t StrToInt64(StringView s);
[[nodiscard]] std::int64_t StrToInt64Def(StringView s, std::int64_t defaultValue);

// Locale-independent: '.' is the decimal separator. FloatToStr gives up to
// 15 significant digits, switching to "1E20" notation outside the fixed range.
[[nodiscard]] String FloatToStr(double value);
[[nodiscard]] bool TryStrToFloat(StringView s, double& value);
[[nodiscard]] double StrToFloat(StringView s);
[[nodiscard]] double StrToFloatDef(StringView s, double defaultValue);

// --- Trimming and case

// Blanks are all characters up to and including ' ' (control characters too).
[[nodiscard]] String Trim(StringView s);
[[nodiscard]] String TrimLeft(StringView s);
[[nodiscard]] String TrimRight(StringView s);

// ASCII letters only.
[[nodiscard]] String UpperCase(StringView s);
[[nodiscard]] String LowerCase(StringView s);
// Unicode simple case mapping of every code point.
[[nodiscard]] String AnsiUpperCase(StringView s);
[[nodiscard]] String AnsiLowerCase(StringView s);
[[nodiscard]] char32_t UnicodeUpper(char32_t c) noexcept;
[[nodiscard]] char32_t UnicodeLower(char32_t c) noexcept;
[[nodiscard]] char32_t UnicodeFold(char32_t c) noexcept;

// --- Comparison: the sign of the result orders s1 against s2.

// Ordinal over UTF-16 code units.
[[nodiscard]] int CompareStr(StringView s1, StringView s2) noexcept;
[[nodiscard]] bool SameStr(StringView s1, StringView s2) noexcept;
// Ordinal after mapping ASCII 'a'..'z' to upper case.
[[nodiscard]] int CompareText(StringView s1, StringView s2) noexcept;
[[nodiscard]] bool SameText(StringView s1, StringView s2) noexcept;
// Ordinal over code points; the Text forms after simple case folding.
[[nodiscard]] int AnsiCompareStr(StringView s1, StringView s2) noexcept;
[[nodiscard]] bool AnsiSameStr(StringView s1, StringView s2) noexcept;
[[nodiscard]] int AnsiCompareText(StringView s1, StringView s2) noexcept;
[[nodiscard]] bool AnsiSameText(StringView s1, StringView s2) noexcept;

// --- Searching and slicing

// 1-based position of the first occurrence, 0 when absent or subStr is empty.
[[nodiscard]] int Pos(StringView subStr, StringView s) noexcept;
// As Pos, starting at `offset` (1-based); 0 for an offset outside s.
[[nodiscard]] int PosEx(StringView subStr, StringView s, int offset = 1) noexcept;
// `count` characters from the 1-based `index`; an index below 1 counts from
// the start, ranges beyond the end are cut.
[[nodiscard]] String Copy(StringView s, int index, int count = 0x7FFFFFFF);
// 1-based position of the last character of s that is in `delimiters`, or 0.
[[nodiscard]] int LastDelimiter(StringView delimiters, StringView s) noexcept;

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
[[nodiscard]] String StringReplace(StringView s, StringView oldPattern, StringView newPattern,
                                   TReplaceFlags flags = 0);

// Splits at every character of `delimiters`; an empty s gives no parts.
[[nodiscard]] std::vector<String> SplitString(StringView s, StringView delimiters);

[[nodiscard]] bool StartsStr(StringView subText, StringView text) noexcept;
[[nodiscard]] bool EndsStr(StringView subText, StringView text) noexcept;
[[nodiscard]] bool StartsText(StringView subText, StringView text) noexcept;
[[nodiscard]] bool EndsText(StringView subText, StringView text) noexcept;
[[nodiscard]] bool ContainsText(StringView text, StringView subText) noexcept;

// --- Quoting

[[nodiscard]] String QuotedStr(StringView s);
[[nodiscard]] String AnsiQuotedStr(StringView s, char16_t quote);
// Reads a quoted string starting at text[pos] (which must be `quote`):
// doubled quotes stand for one; pos ends after the closing quote, or at the
// end of the text when there is none (then the rest is the value). Returns an
// empty string and leaves pos when text[pos] is not the quote.
[[nodiscard]] String AnsiExtractQuotedStr(StringView text, std::size_t& pos, char16_t quote);
// The text of the quoted string at the start of s; s itself when it does not
// start with the quote or the quote is not closed.
[[nodiscard]] String AnsiDequotedStr(StringView s, char16_t quote);

// --- File names ('/' separates folders) and the file system (UTF-8 names)

inline constexpr char16_t PathDelim = u'/';

[[nodiscard]] String IncludeTrailingPathDelimiter(StringView s);
[[nodiscard]] String ExcludeTrailingPathDelimiter(StringView s);
// Up to and including the last delimiter.
[[nodiscard]] String ExtractFilePath(StringView fileName);
// Without the trailing delimiter, except for the root.
[[nodiscard]] String ExtractFileDir(StringView fileName);
[[nodiscard]] String ExtractFileName(StringView fileName);
// From the last '.' of the name part, including it; empty without one.
[[nodiscard]] String ExtractFileExt(StringView fileName);
[[nodiscard]] String ChangeFileExt(StringView fileName, StringView extension);
// Absolute, with "." and ".." resolved lexically.
[[nodiscard]] String ExpandFileName(StringView fileName);

[[nodiscard]] bool FileExists(StringView fileName);
[[nodiscard]] bool DirectoryExists(StringView directory);
// Creates the folder and its missing parents; false when that failed.
// An empty name raises EInOutError "Unable to create directory".
bool ForceDirectories(StringView directory);
bool DeleteFile(StringView fileName);
[[nodiscard]] String SysErrorMessage(int errorCode);

} // namespace rtl
