// DCX: a multi-page PCX file. A magic number, a table of up to 1023 page
// offsets ended by 0 (writers reserve 1024 slots), then the PCX pictures.
//
// Table entries that cannot be a page (an offset inside the table or past the
// end of the file, or no PCX header there) are left out of the page count, so
// the pages that are sound stay readable and are numbered without gaps.
#include "core/common/dib.h"
#include "core/imageman/document.h"
#include "core/imageman/pcx_codec.h"

#include <algorithm>
#include <span>
#include <vector>

namespace core::imageman {

namespace {

constexpr std::uint32_t kDcxMagic = 0x3ADE68B1;
constexpr int kMaxPages = 1023;

struct Page {
    std::size_t offset = 0;
    std::size_t end = 0; // where the next page begins, or the end of the file
    pcx::Header header;
};

class DcxDocument final : public Document {
  public:
    DcxDocument(Bytes file, std::vector<Page> pages)
        : file_(std::move(file)), pages_(std::move(pages)) {}

    int pageCount() const override { return static_cast<int>(pages_.size()); }

    Result<PageFacts> facts(int page) override {
        if (page < 0 || page >= pageCount())
            return Fail("The DCX file has no page %d (it has %d).", page + 1, pageCount());
        return pcx::Facts(pages_[static_cast<std::size_t>(page)].header, "DCX");
    }

    Result<Bitmap> decode(int page, const DecodeOptions& options) override {
        if (page < 0 || page >= pageCount())
            return Fail("The DCX file has no page %d (it has %d).", page + 1, pageCount());
        const Page& p = pages_[static_cast<std::size_t>(page)];
        const std::span<const std::uint8_t> bytes(file_);
        return pcx::Decode(bytes.subspan(p.offset, p.end - p.offset), p.header, options);
    }

  private:
    Bytes file_;
    std::vector<Page> pages_;
};

} // namespace

Result<DocumentPtr> OpenDcxDocument(Bytes file) {
    if (file.size() < 4 || ReadLE32(file.data()) != kDcxMagic) return Error{"Not a DCX file."};

    std::vector<std::size_t> offsets;
    std::size_t tableEnd = 4;
    while (offsets.size() < kMaxPages && tableEnd + 4 <= file.size()) {
        const std::uint32_t offset = ReadLE32(file.data() + tableEnd);
        tableEnd += 4;
        if (offset == 0) break;
        offsets.push_back(offset);
    }

    // Entries that point at a PCX header are pages; each ends where the
    // nearest page behind it begins (the 256-colour palette of a page is
    // found from its end).
    std::vector<Page> pages;
    std::vector<std::size_t> starts;
    const std::span<const std::uint8_t> bytes(file);
    for (std::size_t o : offsets) {
        if (o < tableEnd || o >= file.size()) continue;
        auto header = pcx::ParseHeader(bytes.subspan(o));
        if (!header) continue;
        pages.push_back(Page{o, file.size(), header.value()});
        starts.push_back(o);
    }
    std::sort(starts.begin(), starts.end());
    for (Page& p : pages) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), p.offset);
        if (next != starts.end()) p.end = *next;
    }
    if (pages.empty())
        return Fail("The DCX file holds no readable page (%zu table entries).", offsets.size());
    return DocumentPtr(std::make_unique<DcxDocument>(std::move(file), std::move(pages)));
}

} // namespace core::imageman
