#include "platform/rtl/Strings.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/FileStream.h"
#include "platform/rtl/StringUtils.h"

#include <algorithm>

namespace rtl {

RTL_IMPLEMENT_ABSTRACT_CLASS(TStrings)

namespace {

constexpr bool IsBlank(char16_t c) {
    return c <= u' ';
}

// Runs body inside an update bracket that closes even when body raises.
template <typename Body>
void InUpdate(TStrings& strings, Body&& body) {
    strings.BeginUpdate();
    try {
        body();
    } catch (...) {
        strings.EndUpdate();
        throw;
    }
    strings.EndUpdate();
}

} // namespace

TStrings::~TStrings() = default;

void TStrings::Error(StringView message, int data) {
    String text(message);
    std::size_t at = text.find(u"%d");
    if (at != String::npos)
        text.replace(at, 2, IntToStr(data));
    throw EStringListError(text);
}

// --- Default implementations in terms of the abstract operations

TObject* TStrings::GetObject(int /*index*/) const {
    return nullptr;
}

void TStrings::Put(int index, const String& s) {
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

void TStrings::PutObject(int /*index*/, TObject* /*object*/) {}

int TStrings::Add(const String& s) {
    int index = GetCount();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const String& s, TObject* object) {
    int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const String& s, TObject* object) {
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::Exchange(int index1, int index2) {
    InUpdate(*this, [&] {
        TObject* object = GetObject(index1);
        String s = Get(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s);
        PutObject(index2, object);
    });
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    InUpdate(*this, [&] {
        TObject* object = GetObject(curIndex);
        String s = Get(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, object);
    });
}

int TStrings::IndexOf(const String& s) const {
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const String& name) const {
    for (int i = 0, n = GetCount(); i < n; ++i) {
        String line = Get(i);
        int sep = NameSeparatorPos(line);
        if (sep >= 0 && CompareStrings(line.substr(0, static_cast<std::size_t>(sep)), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* object) const {
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

void TStrings::AddStrings(TStrings* strings) {
    InUpdate(*this, [&] {
        // The count is taken once, so adding a list to itself doubles it.
        for (int i = 0, n = strings->GetCount(); i < n; ++i)
            AddObject(strings->Get(i), strings->GetObject(i));
    });
}

void TStrings::Assign(TPersistent* source) {
    auto* strings = ObjectCast<TStrings>(source);
    if (!strings) {
        TPersistent::Assign(source);
        return;
    }
    if (strings == this)
        return;
    InUpdate(*this, [&] {
        Clear();
        FNameValueSeparator = strings->FNameValueSeparator;
        FDelimiter = strings->FDelimiter;
        FQuoteChar = strings->FQuoteChar;
        FStrictDelimiter = strings->FStrictDelimiter;
        FLineBreak = strings->FLineBreak;
        FWriteBOM = strings->FWriteBOM;
        FEncoding = strings->FEncoding;
        FDefaultEncoding = strings->FDefaultEncoding;
        AddStrings(strings);
    });
}

bool TStrings::Equals(TStrings* strings) const {
    if (!strings)
        return false;
    int n = GetCount();
    if (n != strings->GetCount())
        return false;
    for (int i = 0; i < n; ++i)
        if (Get(i) != strings->Get(i))
            return false;
    return true;
}

// --- name=value lines

int TStrings::NameSeparatorPos(const String& line) const {
    std::size_t at = line.find(FNameValueSeparator);
    return at == String::npos ? -1 : static_cast<int>(at);
}

String TStrings::Names(int index) const {
    String line = Get(index);
    int sep = NameSeparatorPos(line);
    return sep < 0 ? String() : line.substr(0, static_cast<std::size_t>(sep));
}

String TStrings::Values(const String& name) const {
    int index = IndexOfName(name);
    return index < 0 ? String() : ValueFromIndex(index);
}

// A new line is added whole rather than as an empty line that is then
// replaced: on a sorted list the replacement is refused and would leave the
// empty line behind.
void TStrings::SetValues(const String& name, const String& value) {
    int index = IndexOfName(name);
    if (!value.empty()) {
        if (index < 0)
            Add(name + FNameValueSeparator + value);
        else
            Put(index, name + FNameValueSeparator + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

String TStrings::ValueFromIndex(int index) const {
    if (index < 0)
        return {};
    String line = Get(index);
    int sep = NameSeparatorPos(line);
    return sep < 0 ? String() : line.substr(static_cast<std::size_t>(sep) + 1);
}

void TStrings::SetValueFromIndex(int index, const String& value) {
    if (!value.empty()) {
        if (index < 0)
            Add(FNameValueSeparator + value);
        else
            Put(index, Names(index) + FNameValueSeparator + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

// --- Text forms

String TStrings::Text() const {
    String text;
    for (int i = 0, n = GetCount(); i < n; ++i) {
        text += Get(i);
        text += FLineBreak;
    }
    return text;
}

void TStrings::SetText(const String& text) {
    InUpdate(*this, [&] {
        Clear();
        const std::size_t n = text.size();
        std::size_t pos = 0;
        if (FLineBreak == u"\r\n" || FLineBreak.empty()) {
            // The platform line break: CR LF, LF and CR all end a line.
            while (pos < n) {
                std::size_t end = text.find_first_of(u"\r\n", pos);
                if (end == String::npos)
                    end = n;
                Add(text.substr(pos, end - pos));
                pos = end;
                if (pos < n && text[pos] == u'\r')
                    ++pos;
                if (pos < n && text[pos] == u'\n')
                    ++pos;
            }
            return;
        }
        while (pos < n) {
            std::size_t end = text.find(FLineBreak, pos);
            if (end == String::npos) {
                Add(text.substr(pos));
                break;
            }
            Add(text.substr(pos, end - pos));
            pos = end + FLineBreak.size();
        }
    });
}

String TStrings::DelimitedTextWith(char16_t delimiter, char16_t quote, bool strict) const {
    const int n = GetCount();
    if (n == 1 && Get(0).empty())
        return String(2, quote);
    String text;
    for (int i = 0; i < n; ++i) {
        String s = Get(i);
        bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char16_t c) {
            return c == quote || c == delimiter || (!strict && IsBlank(c));
        });
        if (i > 0)
            text.push_back(delimiter);
        text += needsQuotes ? AnsiQuotedStr(s, quote) : s;
    }
    return text;
}

void TStrings::SetDelimitedTextWith(const String& text, char16_t delimiter, char16_t quote, bool strict) {
    InUpdate(*this, [&] {
        Clear();
        const std::size_t n = text.size();
        std::size_t i = 0;
        auto skipBlanks = [&] {
            while (!strict && i < n && IsBlank(text[i]))
                ++i;
        };
        skipBlanks();
        while (i < n) {
            String item;
            if (text[i] == quote) {
                item = AnsiExtractQuotedStr(text, i, quote);
            } else {
                std::size_t start = i;
                while (i < n && (strict || !IsBlank(text[i])) && text[i] != delimiter)
                    ++i;
                item = text.substr(start, i - start);
            }
            Add(item);
            skipBlanks();
            if (i < n && text[i] == delimiter) {
                // A delimiter at the very end stands before one more, empty item.
                if (i + 1 == n)
                    Add(String());
                ++i;
                skipBlanks();
            }
        }
    });
}

String TStrings::CommaText() const {
    return DelimitedTextWith(u',', u'"', false);
}
void TStrings::SetCommaText(const String& text) {
    SetDelimitedTextWith(text, u',', u'"', false);
}
String TStrings::DelimitedText() const {
    return DelimitedTextWith(FDelimiter, FQuoteChar, FStrictDelimiter);
}
void TStrings::SetDelimitedText(const String& text) {
    SetDelimitedTextWith(text, FDelimiter, FQuoteChar, FStrictDelimiter);
}

// --- Update brackets

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount <= 0)
        return;
    if (--FUpdateCount == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool /*updating*/) {}

int TStrings::CompareStrings(const String& s1, const String& s2) const {
    return AnsiCompareText(s1, s2);
}

// --- Files and streams

void TStrings::SetDefaultEncoding(TEncoding* encoding) noexcept {
    FDefaultEncoding = encoding ? encoding : TEncoding::Default();
}

void TStrings::LoadFromFile(const String& fileName, TEncoding* encoding) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream, encoding);
}

void TStrings::LoadFromStream(TStream* stream, TEncoding* encoding) {
    // Read to the end instead of trusting Size, in chunks, so that a stream
    // that reports a wrong size cannot make us allocate for it.
    TBytes buffer;
    constexpr std::size_t kChunk = 64 * 1024;
    for (;;) {
        std::size_t used = buffer.size();
        buffer.resize(used + kChunk);
        std::int64_t got = stream->Read(buffer.data() + used, static_cast<std::int64_t>(kChunk));
        buffer.resize(used + static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
        if (got <= 0)
            break;
    }
    std::size_t preamble = TEncoding::GetBufferEncoding(buffer, encoding, FDefaultEncoding);
    FEncoding = encoding;
    SetText(encoding->GetString(std::span(buffer).subspan(preamble)));
}

void TStrings::SaveToFile(const String& fileName, TEncoding* encoding) const {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(&stream, encoding);
}

void TStrings::SaveToStream(TStream* stream, TEncoding* encoding) const {
    if (!encoding)
        encoding = FEncoding ? FEncoding : FDefaultEncoding;
    if (FWriteBOM) {
        TBytes preamble = encoding->GetPreamble();
        stream->WriteBuffer(preamble.data(), static_cast<std::int64_t>(preamble.size()));
    }
    TBytes bytes = encoding->GetBytes(Text());
    stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

} // namespace rtl
