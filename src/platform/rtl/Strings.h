#pragma once

// The class library's abstract list of strings with attached objects: line
// access, name=value pairs, delimited and line-broken text, update brackets,
// and loading and saving in UTF-8 or UTF-16.

#include "platform/rtl/Encoding.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/String.h"

namespace rtl {

class TStream;

class TStrings : public TPersistent {
    RTL_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;
    ~TStrings() override;

    // --- The virtual surface that descendants implement or refine.
    [[nodiscard]] virtual String Get(int index) const = 0;
    [[nodiscard]] virtual int GetCount() const = 0;
    [[nodiscard]] virtual TObject* GetObject(int index) const;
    virtual void Put(int index, const String& s);
    virtual void PutObject(int index, TObject* object);
    virtual int Add(const String& s);
    virtual int AddObject(const String& s, TObject* object);
    virtual void Insert(int index, const String& s) = 0;
    virtual void InsertObject(int index, const String& s, TObject* object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    [[nodiscard]] virtual int IndexOf(const String& s) const;
    // The first line whose name part (before the separator) equals name.
    [[nodiscard]] virtual int IndexOfName(const String& name) const;
    [[nodiscard]] virtual int IndexOfObject(TObject* object) const;
    // Adds every line of `strings` with its object, inside one update bracket.
    virtual void AddStrings(TStrings* strings);
    // Copies the lines, objects and text settings of another TStrings.
    void Assign(TPersistent* source) override;

    // --- Lines and objects
    [[nodiscard]] int Count() const { return GetCount(); }
    [[nodiscard]] String Strings(int index) const { return Get(index); }
    void SetStrings(int index, const String& s) { Put(index, s); }
    [[nodiscard]] String operator[](int index) const { return Get(index); }
    [[nodiscard]] TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* object) { PutObject(index, object); }
    // Same count and the same lines in the same order (objects not compared).
    [[nodiscard]] bool Equals(TStrings* strings) const;

    // --- name=value lines
    // The text before the first separator; empty when the line has none.
    [[nodiscard]] String Names(int index) const;
    // The value of the first line named `name`, or empty.
    [[nodiscard]] String Values(const String& name) const;
    // Replaces or appends the line; an empty value deletes it.
    void SetValues(const String& name, const String& value);
    // The text after the first separator; empty when the line has none.
    [[nodiscard]] String ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const String& value);

    [[nodiscard]] char16_t NameValueSeparator() const noexcept { return FNameValueSeparator; }
    void SetNameValueSeparator(char16_t c) noexcept { FNameValueSeparator = c; }
    [[nodiscard]] char16_t Delimiter() const noexcept { return FDelimiter; }
    void SetDelimiter(char16_t c) noexcept { FDelimiter = c; }
    [[nodiscard]] char16_t QuoteChar() const noexcept { return FQuoteChar; }
    void SetQuoteChar(char16_t c) noexcept { FQuoteChar = c; }
    // When set, only Delimiter separates items and blanks are part of them.
    [[nodiscard]] bool StrictDelimiter() const noexcept { return FStrictDelimiter; }
    void SetStrictDelimiter(bool value) noexcept { FStrictDelimiter = value; }
    [[nodiscard]] const String& LineBreak() const noexcept { return FLineBreak; }
    void SetLineBreak(const String& value) { FLineBreak = value; }

    // --- Text forms
    // Every line followed by LineBreak. Setting splits at LineBreak; with the
    // default CR LF, a lone CR or LF also ends a line. A final line break
    // does not start another line.
    [[nodiscard]] String Text() const;
    void SetText(const String& text);
    // DelimitedText with ',' and '"' and blanks as separators.
    [[nodiscard]] String CommaText() const;
    void SetCommaText(const String& text);
    // Items joined by Delimiter; items holding the quote, the delimiter or
    // (unless StrictDelimiter) a blank are quoted with the quote doubled.
    [[nodiscard]] String DelimitedText() const;
    void SetDelimitedText(const String& text);

    // --- Update brackets: change notifications wait for the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    [[nodiscard]] int UpdateCount() const noexcept { return FUpdateCount; }

    // --- Files and streams
    // Loading reads from the stream's position to its end. A UTF-8 or UTF-16
    // byte-order mark decides the encoding; without one the given encoding,
    // else DefaultEncoding, is used. The encoding used is remembered.
    void LoadFromFile(const String& fileName, TEncoding* encoding = nullptr);
    void LoadFromStream(TStream* stream, TEncoding* encoding = nullptr);
    // Saving without an encoding uses the remembered one, else
    // DefaultEncoding; the preamble is written when WriteBOM is set.
    void SaveToFile(const String& fileName, TEncoding* encoding = nullptr) const;
    void SaveToStream(TStream* stream, TEncoding* encoding = nullptr) const;

    [[nodiscard]] bool WriteBOM() const noexcept { return FWriteBOM; }
    void SetWriteBOM(bool value) noexcept { FWriteBOM = value; }
    // The encoding of the last load, or nullptr.
    [[nodiscard]] TEncoding* Encoding() const noexcept { return FEncoding; }
    [[nodiscard]] TEncoding* DefaultEncoding() const noexcept { return FDefaultEncoding; }
    // Encodings are borrowed: pass the standard ones or one that outlives the list.
    void SetDefaultEncoding(TEncoding* encoding) noexcept;

protected:
    // Called with true when the outermost update bracket opens, with false
    // when it closes.
    virtual void SetUpdateState(bool updating);
    // The comparison of IndexOf and IndexOfName: AnsiCompareText here.
    [[nodiscard]] virtual int CompareStrings(const String& s1, const String& s2) const;

    // Raises EStringListError with the message, formatted with `data` when it has %d.
    [[noreturn]] static void Error(StringView message, int data);

private:
    [[nodiscard]] int NameSeparatorPos(const String& line) const;
    [[nodiscard]] String DelimitedTextWith(char16_t delimiter, char16_t quote, bool strict) const;
    void SetDelimitedTextWith(const String& text, char16_t delimiter, char16_t quote, bool strict);

    int FUpdateCount = 0;
    char16_t FNameValueSeparator = u'=';
    char16_t FDelimiter = u',';
    char16_t FQuoteChar = u'"';
    bool FStrictDelimiter = false;
    bool FWriteBOM = true;
    String FLineBreak = u"\r\n";
    TEncoding* FEncoding = nullptr;
    TEncoding* FDefaultEncoding = TEncoding::Default();
};

// Messages of the list errors.
inline constexpr StringView SListIndexError = u"List index out of bounds (%d)";
inline constexpr StringView SSortedListError = u"Operation not allowed on sorted list";
inline constexpr StringView SDuplicateString = u"String list does not allow duplicates";

} // namespace rtl
