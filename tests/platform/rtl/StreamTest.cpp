#include "platform/rtl/BytesStream.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FileStream.h"
#include "platform/rtl/MemoryStream.h"
#include "platform/rtl/ResourceStream.h"
#include "platform/rtl/StringStream.h"
#include "platform/rtl/StringUtils.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/rtl-stream-XXXXXX";
        if (mkdtemp(tmpl))
            FPath = tmpl;
    }
    ~TempDir() { std::system(("rm -rf '" + FPath + "'").c_str()); }
    String Path(StringView name) const { return Utf8ToString(FPath) + u"/" + String(name); }

private:
    std::string FPath;
};

TBytes ReadAll(TStream& stream) {
    TBytes bytes(static_cast<std::size_t>(stream.Size()));
    stream.SetPosition(0);
    stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return bytes;
}

TBytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The common contract of every read-write stream.
void CheckReadWriteSeekSize(TStream& s) {
    const char data[] = "0123456789";
    EXPECT_EQ(s.Write(data, 10), 10);
    EXPECT_EQ(s.Position(), 10);
    EXPECT_EQ(s.Size(), 10);
    EXPECT_EQ(s.Seek(-4, soFromEnd), 6);
    EXPECT_EQ(s.Seek(1, soFromCurrent), 7);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 3); // only three bytes left
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(s.Read(buf, 8), 0);
    EXPECT_EQ(s.Seek(2, soFromBeginning), 2);
    s.WriteBuffer("ab", 2);
    s.SetPosition(0);
    s.ReadBuffer(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "01ab4");
    s.SetPosition(8);
    EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);

    s.SetSize(4); // truncates and moves the position back
    EXPECT_EQ(s.Size(), 4);
    EXPECT_LE(s.Position(), 4);
    s.SetSize(6); // grows with zeros
    s.SetPosition(0);
    s.ReadBuffer(buf, 6);
    EXPECT_EQ(std::string(buf, 6), std::string("01ab\0\0", 6));
}

} // namespace

TEST(MemoryStream, ReadsWritesSeeksAndSizes) {
    TMemoryStream stream;
    CheckReadWriteSeekSize(stream);
}

TEST(MemoryStream, WritesPastTheEndLeaveZerosAndNegativePositionsMoveNothing) {
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    stream.SetSize(2); // the old bytes must not come back
    stream.SetPosition(5);
    stream.WriteBuffer("z", 1);
    EXPECT_EQ(ReadAll(stream), (TBytes{'a', 'b', 0, 0, 0, 'z'}));

    stream.Seek(-10, soFromBeginning);
    char c = 0;
    EXPECT_EQ(stream.Read(&c, 1), 0);
    EXPECT_EQ(stream.Write(&c, 1), 0);
    EXPECT_THROW(stream.WriteBuffer(&c, 1), EWriteError);
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_THROW(stream.SetSize(-1), EOutOfMemory);

    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(MemoryStream, GrowsGeometrically) {
    TMemoryStream stream;
    std::set<std::int64_t> capacities;
    for (int i = 0; i < (1 << 20); ++i) {
        stream.WriteBuffer("x", 1);
        capacities.insert(stream.Capacity());
    }
    // A fixed growth step would reallocate (and copy) hundreds of times.
    EXPECT_LE(capacities.size(), 40u);
    EXPECT_LT(stream.Capacity(), 2 * stream.Size());
}

TEST(MemoryStream, CopiesLoadsAndSavesWholeStreams) {
    TMemoryStream source;
    source.WriteBuffer("hello world", 11);
    source.SetPosition(6);

    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(&source, 3), 3);
    EXPECT_EQ(ReadAll(part), (TBytes{'w', 'o', 'r'}));
    EXPECT_THROW(part.CopyFrom(&source, 5), EReadError); // only two bytes left

    TMemoryStream whole;
    EXPECT_EQ(whole.CopyFrom(&source, 0), 11); // 0 copies all of it, from the start
    EXPECT_EQ(ReadAll(whole), ReadAll(source));

    TMemoryStream loaded;
    loaded.WriteBuffer("old content", 11);
    loaded.LoadFromStream(&part);
    EXPECT_EQ(ReadAll(loaded), (TBytes{'w', 'o', 'r'}));

    TempDir dir;
    const String file = dir.Path(u"m\u00E9moire.bin");
    source.SaveToFile(file);
    EXPECT_EQ(FileBytes(StringToUtf8(file)), ReadAll(source));
    TMemoryStream fromFile;
    fromFile.LoadFromFile(file);
    EXPECT_EQ(ReadAll(fromFile), ReadAll(source));
}

TEST(FileStream, ReadsWritesSeeksAndSizes) {
    TempDir dir;
    TFileStream stream(dir.Path(u"rw.bin"), fmCreate);
    CheckReadWriteSeekSize(stream);
}

TEST(FileStream, OpenModesGiveTheirAccess) {
    TempDir dir;
    const String file = dir.Path(u"\u00DCbung.txt");
    {
        TFileStream created(file, fmCreate | fmShareExclusive);
        created.WriteBuffer("abc", 3);
        EXPECT_EQ(created.FileName(), file);
    }
    {
        TFileStream reader(file, fmOpenRead | fmShareDenyWrite);
        EXPECT_EQ(reader.Write("x", 1), 0); // read-only
        EXPECT_EQ(ReadAll(reader), (TBytes{'a', 'b', 'c'}));
    }
    {
        TFileStream writer(file, fmOpenWrite | fmShareDenyNone);
        writer.Seek(0, soFromEnd);
        writer.WriteBuffer("d", 1);
        char c;
        writer.SetPosition(0);
        EXPECT_EQ(writer.Read(&c, 1), 0); // write-only
    }
    {
        TFileStream both(file, fmOpenReadWrite);
        both.WriteBuffer("A", 1);
        EXPECT_EQ(ReadAll(both), (TBytes{'A', 'b', 'c', 'd'}));
    }
    {
        TFileStream truncated(file, fmCreate);
        EXPECT_EQ(truncated.Size(), 0);
    }
}

TEST(FileStream, FailuresRaiseWithTheExpandedNameAndTheReason) {
    TempDir dir;
    const String missing = dir.Path(u"missing.txt");
    try {
        TFileStream stream(missing, fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), u"Cannot open file \"" + missing + u"\". " + SysErrorMessage(ENOENT));
    }
    const String inMissingFolder = dir.Path(u"no/such/folder.txt");
    try {
        TFileStream stream(inMissingFolder, fmCreate);
        FAIL() << "created a file in a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  u"Cannot create file \"" + inMissingFolder + u"\". " + SysErrorMessage(ENOENT));
    }
    EXPECT_THROW(TFileStream(dir.Path(u""), fmOpenRead), EFOpenError); // a folder is not a file
    EXPECT_THROW(TFileStream(u"", fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir.Path(u""), fmCreate), EFCreateError);
}

TEST(BytesStream, StartsWithTheGivenBytesAndGrows) {
    TBytesStream stream(TBytes{1, 2, 3});
    EXPECT_EQ(stream.Size(), 3);
    EXPECT_EQ(stream.Position(), 0);
    stream.Seek(0, soFromEnd);
    stream.WriteBuffer("\x04", 1);
    EXPECT_GE(stream.Bytes().size(), 4u);
    EXPECT_EQ(TBytes(stream.Bytes().begin(), stream.Bytes().begin() + 4), (TBytes{1, 2, 3, 4}));
    TBytesStream fresh;
    CheckReadWriteSeekSize(fresh);
}

TEST(StringStream, HoldsTextInItsEncoding) {
    TStringStream utf8(u"\u00E9t\u00E9");
    EXPECT_EQ(utf8.Size(), 5);
    EXPECT_EQ(utf8.DataString(), u"\u00E9t\u00E9");
    EXPECT_EQ(utf8.ReadString(2), u"\u00E9");
    EXPECT_EQ(utf8.ReadString(100), u"t\u00E9");
    EXPECT_EQ(utf8.ReadString(1), u"");

    TStringStream utf16(u"ab", TEncoding::Unicode());
    EXPECT_EQ(utf16.Size(), 4); // no preamble
    utf16.Seek(0, soFromEnd);
    utf16.WriteString(u"\U0001F600");
    EXPECT_EQ(utf16.Size(), 8);
    EXPECT_EQ(utf16.DataString(), u"ab\U0001F600");
    EXPECT_EQ(utf16.Encoding(), TEncoding::Unicode());

    TStringStream bytes(TBytes{'h', 'i', 0xFF});
    EXPECT_EQ(bytes.DataString(), u"hi\uFFFD");
}

TEST(ResourceStream, FindsEmbeddedResourcesIgnoringCase) {
    struct Case {
        const char16_t* name;
        TResourceId type;
        std::string file; // under tests/platform/rtl/data
    } cases[] = {
        {u"Greeting", RT_RCDATA, "Greeting.txt"},
        {u"GREETING", RT_RCDATA, "Greeting.txt"},
        {u"loading_gif", RT_RCDATA, "AllBytes.bin"},
        {u"Empty", u"png", "Empty.txt"},
    };
    for (const auto& c : cases) {
        TResourceStream stream(HInstance, c.name, c.type);
        EXPECT_EQ(ReadAll(stream),
                  FileBytes(std::string(LUMORA_SOURCE_DIR) + "/tests/platform/rtl/data/" + c.file))
            << StringToUtf8(c.name);
    }
    TResourceStream viaZero(0, u"Greeting", RT_RCDATA); // 0 is the program too
    EXPECT_EQ(viaZero.Size(), 17);
    EXPECT_THROW(viaZero.WriteBuffer("x", 1), EStreamError);
}

TEST(ResourceStream, MissingResourcesRaiseResNotFound) {
    struct Case {
        HINST module;
        TResourceId name;
        TResourceId type;
        const char16_t* message;
    } cases[] = {
        {HInstance, u"Nope", RT_RCDATA, u"Resource Nope not found"},
        {HInstance, u"Greeting", RT_BITMAP, u"Resource Greeting not found"},
        {HInstance, 7, RT_RCDATA, u"Resource 7 not found"},
        {0x1234, u"Greeting", RT_RCDATA, u"Resource Greeting not found"},
    };
    for (const auto& c : cases) {
        try {
            TResourceStream stream(c.module, c.name, c.type);
            ADD_FAILURE() << "found " << StringToUtf8(c.message);
        } catch (const EResNotFound& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(ResourceStream, RegisteredNumbersAndNamesAreFoundBothWays) {
    static const char data[] = "xyz";
    RegisterResource(0x5000, 12, u"Custom", data, 3);
    static const char16_t* const typeAsPointer = reinterpret_cast<const char16_t*>(std::uintptr_t{10});
    RegisterResource(0x5000, u"Named", typeAsPointer, data, 2);
    EXPECT_EQ(TResourceStream(0x5000, u"#12", u"CUSTOM").Size(), 3);
    EXPECT_EQ(TResourceStream(0x5000, 12, u"custom").Size(), 3);
    EXPECT_EQ(TResourceStream(0x5000, u"NAMED", RT_RCDATA).Size(), 2);
    EXPECT_EQ(FindResource(HInstance, u"Named", RT_RCDATA), nullptr);
}
