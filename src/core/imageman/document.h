// One opened picture file as the imaging library sees it: a number of pages,
// the facts of each page, and the decode of a page into a picture.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/decode_options.h"
#include "core/common/result.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace core::imageman {

struct PageFacts {
    int width = 0;
    int height = 0;
    int bits = 0;            // bits per pixel as stored (a 16-bit BMP says 16, a 48-bit TIFF 24)
    int planes = 1;          // colour planes (4-bit PCX: 4 planes of 1 bit report bits 1, planes 4)
    std::string description; // e.g. "PCX 8-bit RLE", shown by the open dialog
};

class Document {
  public:
    virtual ~Document() = default;
    virtual int pageCount() const = 0;
    virtual Result<PageFacts> facts(int page) = 0;
    // Decodes a page to a 1-, 4-, 8- or 24-bit picture. Must check the memory
    // guard before allocating, stop when options.progress says so, and never
    // read past the data it was given.
    virtual Result<Bitmap> decode(int page, const DecodeOptions& options) = 0;
};

using DocumentPtr = std::unique_ptr<Document>;
using Bytes = std::vector<std::uint8_t>;

// A file that holds one picture: its facts, read at open, and the decode of
// its bytes.
class SinglePageDocument final : public Document {
  public:
    using DecodeFn =
        std::function<Result<Bitmap>(std::span<const std::uint8_t>, const DecodeOptions&)>;
    SinglePageDocument(Bytes file, PageFacts facts, DecodeFn decode)
        : file_(std::move(file)), facts_(std::move(facts)), decode_(std::move(decode)) {}

    int pageCount() const override { return 1; }
    Result<PageFacts> facts(int page) override {
        if (page != 0) return Fail("There is no page %d.", page + 1);
        return facts_;
    }
    Result<Bitmap> decode(int page, const DecodeOptions& options) override {
        if (page != 0) return Fail("There is no page %d.", page + 1);
        return decode_(file_, options);
    }

  private:
    Bytes file_;
    PageFacts facts_;
    DecodeFn decode_;
};

// Opens a one-page file whose header, read now, gives its facts and guides
// its decode: parse(file) → header, factsOf(header), decode(file, header, options).
template <class Parse, class FactsOf, class Decode>
Result<DocumentPtr> OpenWithHeader(Bytes file, Parse parse, FactsOf factsOf, Decode decode) {
    auto header = parse(std::span<const std::uint8_t>(file));
    if (!header) return header.error();
    auto h = header.value();
    PageFacts facts = factsOf(h);
    return DocumentPtr(std::make_unique<SinglePageDocument>(
        std::move(file), std::move(facts),
        [h, decode](std::span<const std::uint8_t> data, const DecodeOptions& options) {
            return decode(data, h, options);
        }));
}

// The readers, one per format (each in its own file). They take the whole file.
Result<DocumentPtr> OpenPcxDocument(Bytes file); // PCX, one page
Result<DocumentPtr> OpenDcxDocument(Bytes file); // DCX, multi-page PCX
Result<DocumentPtr> OpenTgaDocument(Bytes file);
Result<DocumentPtr> OpenBmpDocument(Bytes file); // BMP with file header, or a bare DIB
Result<DocumentPtr> OpenTiffDocument(Bytes file);
Result<DocumentPtr> OpenPngDocument(Bytes file);

// Reads a whole file; a clear message when it cannot.
Result<Bytes> ReadWholeFile(const std::string& path);
// At most the first `limit` bytes of a file (headers, without reading a large file whole).
Result<Bytes> ReadFilePrefix(const std::string& path, std::size_t limit);

} // namespace core::imageman
