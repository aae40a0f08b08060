#include "export/compound_file.h"

#include <algorithm>
#include <vector>

#include "export/byte_writer.h"

namespace lgcset::exports {
namespace {

constexpr std::uint32_t kDifSect = 0xFFFFFFFCu;
constexpr std::uint32_t kFatSect = 0xFFFFFFFDu;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kFreeSect = 0xFFFFFFFFu;
constexpr std::uint32_t kNoStream = 0xFFFFFFFFu;
constexpr std::size_t kEntriesPerSector = kSectorSize / 4;  // FAT, mini FAT, DIFAT
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirEntrySize = 128;
static_assert(4 * kDirEntrySize == kSectorSize, "the directory is one sector of four entries");

std::size_t SectorsFor(std::size_t bytes, std::size_t sectorSize) {
    return (bytes + sectorSize - 1) / sectorSize;
}

// Where everything goes, in sectors after the header.
struct Layout {
    bool mini = false;
    std::size_t miniFatSectors = 0;   // first, at sector 0 when used
    std::size_t dataSectors = 0;      // the stream itself, or the mini stream holding it
    std::size_t directorySector = 0;  // one sector: four entries
    std::size_t fatStart = 0, fatSectors = 0;
    std::size_t difatStart = 0, difatSectors = 0;
    std::size_t total = 0;
};

Layout Plan(std::size_t streamSize) {
    Layout l;
    l.mini = streamSize > 0 && streamSize < kMiniStreamCutoff;
    if (l.mini) {
        l.miniFatSectors = 1;  // fewer than 64 mini sectors
        l.dataSectors =
            SectorsFor(SectorsFor(streamSize, kMiniSectorSize) * kMiniSectorSize, kSectorSize);
    } else {
        l.dataSectors = SectorsFor(streamSize, kSectorSize);
    }
    l.directorySector = l.miniFatSectors + l.dataSectors;
    const std::size_t fixed = l.directorySector + 1;
    // The FAT covers itself and the DIFAT too: grow both until they cover everything.
    for (;;) {
        const std::size_t total = fixed + l.fatSectors + l.difatSectors;
        const std::size_t fat = SectorsFor(total, kEntriesPerSector);
        const std::size_t difat = fat > kHeaderDifatEntries
                                      ? SectorsFor(fat - kHeaderDifatEntries, kEntriesPerSector - 1)
                                      : 0;
        if (fat == l.fatSectors && difat == l.difatSectors)
            break;
        l.fatSectors = fat;
        l.difatSectors = difat;
    }
    l.fatStart = fixed;
    l.difatStart = l.fatStart + l.fatSectors;
    l.total = l.difatStart + l.difatSectors;
    return l;
}

std::uint32_t U32(std::size_t v) {
    return static_cast<std::uint32_t>(v);
}

void Chain(std::vector<std::uint32_t>& table, std::size_t first, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        table[first + i] = i + 1 < count ? U32(first + i + 1) : kEndOfChain;
}

void DirectoryEntry(ByteWriter& w, std::string_view name, std::uint8_t type, std::uint32_t child,
                    std::uint32_t start, std::size_t size) {
    for (char c : name) w.U16(static_cast<unsigned char>(c));
    w.Zeros(64 - 2 * name.size());
    w.U16(name.empty() ? 0 : U32(2 * (name.size() + 1)));
    w.U8(type);
    w.U8(type == 0 ? 0 : 1);  // black; a free entry is all zeros but for its links
    w.U32(kNoStream);
    w.U32(kNoStream);
    w.U32(child);
    w.Zeros(16 + 4 + 8 + 8);  // class id, state bits, creation and modification times
    w.U32(start);
    w.U32(U32(size));
    w.U32(0);
}

}  // namespace

bool WriteCompoundFile(std::ostream& out, std::string_view name,
                       std::span<const std::uint8_t> stream) {
    if (stream.size() > kMaxStreamSize || name.empty() || name.size() > 31)
        return false;
    const Layout l = Plan(stream.size());

    std::vector<std::uint32_t> fat(l.fatSectors * kEntriesPerSector, kFreeSect);
    Chain(fat, 0, l.miniFatSectors);
    Chain(fat, l.miniFatSectors, l.dataSectors);
    fat[l.directorySector] = kEndOfChain;
    for (std::size_t i = 0; i < l.fatSectors; ++i) fat[l.fatStart + i] = kFatSect;
    for (std::size_t i = 0; i < l.difatSectors; ++i) fat[l.difatStart + i] = kDifSect;

    std::vector<std::uint8_t> head;
    head.reserve(kSectorSize * 2);
    ByteWriter h(head);
    h.U32(0xE011CFD0u);
    h.U32(0xE11AB1A1u);
    h.Zeros(16);
    h.U16(0x003E);  // minor version
    h.U16(0x0003);  // major version 3: 512-byte sectors
    h.U16(0xFFFE);  // little-endian
    h.U16(9);       // sector shift: 2^9
    h.U16(6);       // mini sector shift: 2^6
    h.Zeros(6);
    h.U32(0);  // directory sectors: always 0 in version 3
    h.U32(U32(l.fatSectors));
    h.U32(U32(l.directorySector));
    h.U32(0);  // transaction signature
    h.U32(U32(kMiniStreamCutoff));
    h.U32(l.mini ? 0 : kEndOfChain);
    h.U32(U32(l.miniFatSectors));
    h.U32(l.difatSectors ? U32(l.difatStart) : kEndOfChain);
    h.U32(U32(l.difatSectors));
    for (std::size_t i = 0; i < kHeaderDifatEntries; ++i)
        h.U32(i < l.fatSectors ? U32(l.fatStart + i) : kFreeSect);
    out.write(reinterpret_cast<const char*>(head.data()),
              static_cast<std::streamsize>(head.size()));

    std::vector<std::uint8_t> sector;
    sector.reserve(kSectorSize);
    auto flush = [&] {
        sector.resize(kSectorSize, 0);
        out.write(reinterpret_cast<const char*>(sector.data()), kSectorSize);
        sector.clear();
    };
    ByteWriter s(sector);

    std::size_t miniSectors = 0;
    if (l.mini) {
        miniSectors = SectorsFor(stream.size(), kMiniSectorSize);
        std::vector<std::uint32_t> miniFat(kEntriesPerSector, kFreeSect);
        Chain(miniFat, 0, miniSectors);
        for (std::uint32_t v : miniFat) s.U32(v);
        flush();
    }
    // The stream (or the mini stream) in whole sectors; the last one padded with zeros.
    const std::size_t whole = stream.size() / kSectorSize * kSectorSize;
    out.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(whole));
    std::size_t written = whole == 0 ? 0 : whole / kSectorSize;
    if (whole < stream.size()) {
        sector.assign(stream.begin() + static_cast<std::ptrdiff_t>(whole), stream.end());
        flush();
        ++written;
    }
    for (; written < l.dataSectors; ++written) flush();

    if (l.mini) {
        DirectoryEntry(s, "Root Entry", 5, 1, U32(l.miniFatSectors), miniSectors * kMiniSectorSize);
        DirectoryEntry(s, name, 2, kNoStream, 0, stream.size());
    } else {
        DirectoryEntry(s, "Root Entry", 5, 1, kEndOfChain, 0);
        DirectoryEntry(s, name, 2, kNoStream, stream.empty() ? kEndOfChain : 0, stream.size());
    }
    DirectoryEntry(s, {}, 0, kNoStream, 0, 0);
    DirectoryEntry(s, {}, 0, kNoStream, 0, 0);
    flush();

    for (std::size_t i = 0; i < fat.size(); ++i) {
        s.U32(fat[i]);
        if (sector.size() == kSectorSize)
            flush();
    }
    // DIFAT sectors: 127 FAT sector numbers beyond the header's 109, then the next one.
    std::size_t next = kHeaderDifatEntries;
    for (std::size_t d = 0; d < l.difatSectors; ++d) {
        for (std::size_t i = 0; i + 1 < kEntriesPerSector; ++i, ++next)
            s.U32(next < l.fatSectors ? U32(l.fatStart + next) : kFreeSect);
        s.U32(d + 1 < l.difatSectors ? U32(l.difatStart + d + 1) : kEndOfChain);
        flush();
    }
    return static_cast<bool>(out);
}

}  // namespace lgcset::exports
