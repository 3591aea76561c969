#include "platform/rtl/Exception.h"
#include "platform/rtl/MemoryStream.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/StringUtils.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

using Lines = std::vector<String>;

Lines LinesOf(const TStrings& list) {
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

TBytes ContentOf(TMemoryStream& stream) {
    const auto* p = static_cast<const std::uint8_t*>(stream.Memory());
    return TBytes(p, p + stream.Size());
}

TMemoryStream* StreamOf(const TBytes& bytes, TMemoryStream& stream) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    return &stream;
}

// "é" and U+1F600 on two lines, in each encoding, without the preamble.
const TBytes kUtf8 = {0xC3, 0xA9, 0x0D, 0x0A, 0xF0, 0x9F, 0x98, 0x80, 0x0D, 0x0A};
const TBytes kUtf16Le = {0xE9, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x3D, 0xD8, 0x00, 0xDE, 0x0D, 0x00, 0x0A, 0x00};
const TBytes kUtf16Be = {0x00, 0xE9, 0x00, 0x0D, 0x00, 0x0A, 0xD8, 0x3D, 0xDE, 0x00, 0x00, 0x0D, 0x00, 0x0A};
const Lines kLines = {u"\u00E9", u"\U0001F600"};

struct EncodingCase {
    const char* name;
    TEncoding* encoding;
    TBytes bom;
    const TBytes& body;
};

std::vector<EncodingCase> EncodingCases() {
    return {
        {"UTF-8", TEncoding::UTF8(), {0xEF, 0xBB, 0xBF}, kUtf8},
        {"UTF-16 LE", TEncoding::Unicode(), {0xFF, 0xFE}, kUtf16Le},
        {"UTF-16 BE", TEncoding::BigEndianUnicode(), {0xFE, 0xFF}, kUtf16Be},
    };
}

TBytes Concat(const TBytes& a, const TBytes& b) {
    TBytes out(a);
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace

TEST(TextEncoding, SavesEachEncodingWithAndWithoutPreamble) {
    for (const auto& c : EncodingCases()) {
        for (bool bom : {true, false}) {
            TStringList list;
            for (const auto& line : kLines)
                list.Add(line);
            list.SetWriteBOM(bom);
            TMemoryStream stream;
            list.SaveToStream(&stream, c.encoding);
            EXPECT_EQ(ContentOf(stream), bom ? Concat(c.bom, c.body) : c.body) << c.name << " bom=" << bom;
        }
    }
}

TEST(TextEncoding, LoadingDetectsThePreambleAndRemembersTheEncoding) {
    for (const auto& c : EncodingCases()) {
        TMemoryStream stream;
        TStringList list;
        // The preamble wins over the encoding asked for.
        list.LoadFromStream(StreamOf(Concat(c.bom, c.body), stream), TEncoding::Unicode());
        EXPECT_EQ(LinesOf(list), kLines) << c.name;
        EXPECT_EQ(list.Encoding(), c.encoding) << c.name;

        // Saving without naming an encoding writes the one that was loaded.
        TMemoryStream saved;
        list.SaveToStream(&saved);
        EXPECT_EQ(ContentOf(saved), Concat(c.bom, c.body)) << c.name;
    }
}

TEST(TextEncoding, LoadingWithoutPreambleUsesTheGivenEncodingElseUtf8) {
    for (const auto& c : EncodingCases()) {
        TMemoryStream stream;
        TStringList list;
        list.LoadFromStream(StreamOf(c.body, stream), c.encoding);
        EXPECT_EQ(LinesOf(list), kLines) << c.name;
        EXPECT_EQ(list.Encoding(), c.encoding) << c.name;
    }
    TMemoryStream stream;
    TStringList list;
    list.LoadFromStream(StreamOf(kUtf8, stream));
    EXPECT_EQ(LinesOf(list), kLines);
    EXPECT_EQ(list.Encoding(), TEncoding::Default());
    TMemoryStream saved;
    list.SaveToStream(&saved); // the default has no preamble: the file stays as it was
    EXPECT_EQ(ContentOf(saved), kUtf8);
}

TEST(TextEncoding, LoadingReadsFromThePositionToTheEnd) {
    TMemoryStream stream;
    TBytes data = Concat({'s', 'k', 'i', 'p'}, Concat({0xEF, 0xBB, 0xBF}, kUtf8));
    StreamOf(data, stream);
    stream.SetPosition(4);
    TStringList list;
    list.LoadFromStream(&stream);
    EXPECT_EQ(LinesOf(list), kLines);
    EXPECT_EQ(list.Encoding(), TEncoding::UTF8());
}

TEST(TextEncoding, MalformedUtf16DecodesWithReplacementCharacters) {
    struct Case {
        const char* name;
        TBytes bytes; // little-endian, after the preamble
        String text;
    } cases[] = {
        {"valid pair", {0x3D, 0xD8, 0x00, 0xDE}, u"\U0001F600"},
        {"lone high at end", {0x41, 0x00, 0x3D, 0xD8}, u"A\uFFFD"},
        {"lone high before letter", {0x3D, 0xD8, 0x41, 0x00}, u"\uFFFDA"},
        {"lone low", {0x00, 0xDE, 0x41, 0x00}, u"\uFFFDA"},
        {"reversed pair", {0x00, 0xDE, 0x3D, 0xD8}, u"\uFFFD\uFFFD"},
        {"odd byte count", {0x41, 0x00, 0x42}, u"A\uFFFD"},
        {"single byte", {0x41}, u"\uFFFD"},
    };
    for (const auto& c : cases) {
        TMemoryStream stream;
        TStringList list;
        list.LoadFromStream(StreamOf(Concat({0xFF, 0xFE}, c.bytes), stream));
        ASSERT_EQ(list.Count(), 1) << c.name;
        EXPECT_EQ(list[0], c.text) << c.name;

        // The same units big-endian.
        TBytes swapped = c.bytes;
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        list.LoadFromStream(StreamOf(Concat({0xFE, 0xFF}, swapped), stream));
        ASSERT_EQ(list.Count(), 1) << c.name;
        EXPECT_EQ(list[0], c.text) << c.name << " (big-endian)";
    }
}

TEST(TextEncoding, MalformedUtf8DecodesWithReplacementCharacters) {
    TMemoryStream stream;
    TStringList list;
    list.LoadFromStream(StreamOf({'a', 0xFF, 0x0A, 0xC3}, stream));
    EXPECT_EQ(LinesOf(list), (Lines{u"a\uFFFD", u"\uFFFD"}));
    list.LoadFromStream(StreamOf({0xEF, 0xBB}, stream)); // a truncated preamble is text
    EXPECT_EQ(LinesOf(list), (Lines{u"\uFFFD"}));
    list.LoadFromStream(StreamOf({}, stream));
    EXPECT_EQ(list.Count(), 0);
}

TEST(TextEncoding, EncodingsRoundTripEveryKindOfCodePoint) {
    const String text = u"a\u00E9\u0800\uFFFD\U00010000\U0010FFFF";
    for (const auto& c : EncodingCases())
        EXPECT_EQ(c.encoding->GetString(c.encoding->GetBytes(text)), text) << c.name;
    TEncoding* detected = nullptr;
    EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0x41}, detected), 0u);
    EXPECT_EQ(detected, TEncoding::Default());
    detected = TEncoding::Unicode();
    EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0xEF, 0xBB, 0xBF}, detected), 3u);
    EXPECT_EQ(detected, TEncoding::UTF8());
}

TEST(TextEncoding, FilesRoundTripUnderUnicodeNames) {
    char tmpl[] = "/tmp/rtl-enc-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const String file = Utf8ToString(tmpl) + u"/\u65E5\u672C.ini";
    TStringList list;
    list.Add(u"[Section]");
    list.Add(u"Name=\u00C4\U0001F600");
    list.SaveToFile(file, TEncoding::Unicode());

    TStringList back;
    back.LoadFromFile(file);
    EXPECT_TRUE(back.Equals(&list));
    EXPECT_EQ(back.Encoding(), TEncoding::Unicode());
    EXPECT_THROW(back.LoadFromFile(file + u".missing"), EFOpenError);
    std::system(("rm -rf " + std::string(tmpl)).c_str());
}
