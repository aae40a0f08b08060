// The compound file read back sector by sector: header, DIFAT, FAT, directory, and the one
// stream through the FAT or the mini stream, at the sizes where the layout changes.
#include "export/compound_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace lgcset::exports {
namespace {

constexpr std::uint32_t kEnd = 0xFFFFFFFEu, kFree = 0xFFFFFFFFu, kFatSect = 0xFFFFFFFDu,
                        kDifSect = 0xFFFFFFFCu;

std::uint32_t U32(const std::string& f, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, f.data() + at, 4);
    return v;
}
std::uint16_t U16(const std::string& f, std::size_t at) {
    std::uint16_t v;
    std::memcpy(&v, f.data() + at, 2);
    return v;
}

// A reader that trusts nothing: every chain must stay inside the file and end.
struct Reader {
    const std::string& file;
    std::vector<std::uint32_t> fat;
    std::size_t sectors = 0;

    explicit Reader(const std::string& f) : file(f) {
        sectors = (f.size() - 512) / 512;
        std::vector<std::uint32_t> fatSectors;
        for (int i = 0; i < 109; ++i) {
            const std::uint32_t s = U32(f, 76 + 4 * i);
            if (s != kFree)
                fatSectors.push_back(s);
        }
        std::uint32_t difat = U32(f, 68);
        for (std::uint32_t n = 0; n < U32(f, 72); ++n) {
            EXPECT_LT(difat, sectors);
            if (difat >= sectors)
                return;
            for (int i = 0; i < 127; ++i) {
                const std::uint32_t s = U32(f, Offset(difat) + 4 * i);
                if (s != kFree)
                    fatSectors.push_back(s);
            }
            difat = U32(f, Offset(difat) + 4 * 127);
        }
        EXPECT_EQ(difat, kEnd);
        EXPECT_EQ(fatSectors.size(), U32(f, 44));
        for (std::uint32_t s : fatSectors)
            for (int i = 0; i < 128; ++i) fat.push_back(U32(f, Offset(s) + 4 * i));
    }
    std::size_t Offset(std::uint32_t sector) const { return 512 + 512 * std::size_t{sector}; }

    std::vector<std::uint32_t> Chain(std::uint32_t first, const std::vector<std::uint32_t>& table,
                                     std::size_t limit) const {
        std::vector<std::uint32_t> chain;
        for (std::uint32_t s = first; s != kEnd; s = table[s]) {
            if (s >= limit || s >= table.size() || chain.size() > limit) {
                ADD_FAILURE() << "chain leaves the table at " << s;
                break;
            }
            chain.push_back(s);
        }
        return chain;
    }
    std::string Regular(std::uint32_t first, std::size_t size) const {
        std::string out;
        for (std::uint32_t s : Chain(first, fat, sectors)) out.append(file, Offset(s), 512);
        EXPECT_GE(out.size(), size);
        out.resize(size);
        return out;
    }
};

struct Written {
    std::string file;
    std::string stream;
};

Written Write(std::size_t size) {
    std::vector<std::uint8_t> stream(size);
    for (std::size_t i = 0; i < size; ++i) stream[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    std::ostringstream out;
    EXPECT_TRUE(WriteCompoundFile(out, "Workbook", stream));
    return {out.str(), std::string(stream.begin(), stream.end())};
}

// Reads the "Workbook" stream the way any reader does.
std::string ReadBack(const std::string& f, bool& viaMini) {
    EXPECT_EQ(f.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    EXPECT_EQ(U16(f, 26), 3);
    EXPECT_EQ(U16(f, 30), 9);
    EXPECT_EQ(U16(f, 32), 6);
    EXPECT_EQ(U32(f, 56), 4096u);
    EXPECT_EQ(f.size() % 512, 0u);
    Reader r(f);
    const std::string dir = r.Regular(U32(f, 48), 512);
    // Root entry, then the stream as its only child.
    EXPECT_EQ(dir[66], 5);
    EXPECT_EQ(U32(dir, 76), 1u);
    const std::string name(dir.data() + 128, 16);
    EXPECT_EQ(name, std::string("W\0o\0r\0k\0b\0o\0o\0k\0", 16));
    EXPECT_EQ(U16(dir, 128 + 64), 18);
    EXPECT_EQ(dir[128 + 66], 2);
    EXPECT_EQ(U32(dir, 128 + 68), kFree);
    EXPECT_EQ(U32(dir, 128 + 72), kFree);
    EXPECT_EQ(dir.substr(256, 64), std::string(64, '\0')) << "free entries are zero";
    EXPECT_EQ(U32(dir, 256 + 68), kFree);
    const std::size_t size = U32(dir, 128 + 120);
    EXPECT_EQ(U32(dir, 128 + 124), 0u);
    viaMini = size < 4096;
    if (!viaMini)
        return r.Regular(U32(dir, 128 + 116), size);
    // The mini stream is the root's stream; its FAT has its own chain.
    const std::string miniStream = r.Regular(U32(dir, 116), U32(dir, 120));
    const std::string miniFatBytes = r.Regular(U32(f, 60), 512 * U32(f, 64));
    std::vector<std::uint32_t> miniFat(miniFatBytes.size() / 4);
    std::memcpy(miniFat.data(), miniFatBytes.data(), miniFatBytes.size());
    std::string out;
    for (std::uint32_t s : r.Chain(U32(dir, 128 + 116), miniFat, miniStream.size() / 64))
        out.append(miniStream, 64 * std::size_t{s}, 64);
    out.resize(size);
    return out;
}

TEST(CompoundFile, StreamsBelowTheCutoffLiveInTheMiniStream) {
    for (std::size_t size : {1u, 64u, 65u, 3584u, 4095u}) {
        SCOPED_TRACE(size);
        const Written w = Write(size);
        bool mini = false;
        EXPECT_EQ(ReadBack(w.file, mini), w.stream);
        EXPECT_TRUE(mini);
        EXPECT_EQ(U32(w.file, 64), 1u) << "one mini FAT sector";
    }
}

TEST(CompoundFile, StreamsFromTheCutoffUpUseWholeSectors) {
    for (std::size_t size : {4096u, 4097u, 65536u, 7'000'000u}) {
        SCOPED_TRACE(size);
        const Written w = Write(size);
        bool mini = true;
        EXPECT_EQ(ReadBack(w.file, mini), w.stream);
        EXPECT_FALSE(mini);
        EXPECT_EQ(U32(w.file, 60), kEnd) << "no mini FAT";
        EXPECT_EQ(U32(w.file, 72), 0u) << "109 FAT sectors need no DIFAT sector";
    }
}

TEST(CompoundFile, LargeStreamsListTheirFatSectorsInDifatSectors) {
    // 12 MB: about 190 FAT sectors, 109 in the header and the rest in a DIFAT sector.
    const Written w = Write(12'000'000);
    EXPECT_GE(U32(w.file, 72), 1u);
    bool mini = true;
    EXPECT_EQ(ReadBack(w.file, mini), w.stream);
    // Every sector is accounted for: FAT and DIFAT sectors are marked as such.
    Reader r(w.file);
    std::size_t fatMarks = 0, difatMarks = 0;
    for (std::size_t s = 0; s < r.sectors; ++s) {
        fatMarks += r.fat[s] == kFatSect;
        difatMarks += r.fat[s] == kDifSect;
        EXPECT_NE(r.fat[s], kFree) << "sector " << s << " is unused";
    }
    EXPECT_EQ(fatMarks, U32(w.file, 44));
    EXPECT_EQ(difatMarks, U32(w.file, 72));
}

TEST(CompoundFile, RefusesNamesItCannotStore) {
    std::ostringstream out;
    const std::uint8_t byte = 0;
    EXPECT_FALSE(WriteCompoundFile(out, "", {&byte, 1}));
    EXPECT_FALSE(WriteCompoundFile(out, std::string(32, 'x'), {&byte, 1}));
}

}  // namespace
}  // namespace lgcset::exports
